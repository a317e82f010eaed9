#include "artwork_table.h"

namespace quorvex::artwork {

namespace {

// One control of the window, or one background. The three file names are the idle, hover and
// pressed pictures; a null hover or pressed name means the control shows another of its pictures
// in that state (the restore button keeps its idle picture when pressed) and no file is drawn.
struct ArtworkRow {
    Surface surface;
    const char* idle;
    const char* hover;
    const char* pressed;
    const char* label;  // UTF-8
    IconPainter icon;
    int width;
    int height;
};

constexpr int kToolbarButton = 58;
constexpr int kFirstToolbarButton = 63;
constexpr int kRowButton = 92;
constexpr int kShortRowButton = 66;
constexpr int kTitleButton = 28;

// clang-format off
const ArtworkRow kTable[] = {
    // Toolbar, left to right. The first button is wider; note the upper-case hover and pressed names.
    {Surface::Toolbar, "kstk-1.jpg", "KSTK-2.jpg", "KSTK-3.jpg", "习题集", icons::book, kFirstToolbarButton, kToolbarHeight},
    {Surface::Toolbar, "wdsc-1.jpg", "wdsc-2.jpg", "wdsc-3.jpg", "我的收藏", icons::star, kToolbarButton, kToolbarHeight},
    {Surface::Toolbar, "rjdh-1.jpg", "rjdh-2.jpg", "rjdh-3.jpg", "人机对话", icons::dialogScreen, kToolbarButton, kToolbarHeight},
    {Surface::Toolbar, "mnkc-1.jpg", "mnkc-2.jpg", "mnkc-3.jpg", "模拟考场", icons::paperWithClock, kToolbarButton, kToolbarHeight},
    {Surface::Toolbar, "cttk-1.jpg", "cttk-2.jpg", "cttk-3.jpg", "错题题库", icons::crossedNotebook, kToolbarButton, kToolbarHeight},
    {Surface::Toolbar, "sjbf-1.jpg", "sjbf-2.jpg", "sjbf-3.jpg", "数据备份", icons::diskDownload, kToolbarButton, kToolbarHeight},
    {Surface::Toolbar, "sjhy-1.jpg", "sjhy-2.jpg", nullptr,      "数据还原", icons::diskUpload, kToolbarButton, kToolbarHeight},
    {Surface::Toolbar, "rjsj-1.jpg", "rjsj-2.jpg", "rjsj-3.jpg", "软件升级", icons::circularArrows, kToolbarButton, kToolbarHeight},
    {Surface::Toolbar, "zxkf-1.jpg", "zxkf-2.jpg", "zxkf-3.jpg", "在线客服", icons::headset, kToolbarButton, kToolbarHeight},
    {Surface::Toolbar, "zxsc-1.jpg", "zxsc-2.jpg", "zxsc-3.jpg", "在线购买", icons::cart, kToolbarButton, kToolbarHeight},
    {Surface::Toolbar, "sybz-1.jpg", "sybz-2.jpg", "sybz-3.jpg", "使用帮助", icons::questionMark, kToolbarButton, kToolbarHeight},
    {Surface::Banner, "banner.png", nullptr, nullptr, "", nullptr, 600, kToolbarHeight},
    {Surface::Logo, "logo.png", nullptr, nullptr, "Quorvex", icons::emblem, 206, 56},

    // Button row above the page. Show / hide answers share a place, as do full screen / window mode.
    {Surface::ButtonRow, "xsda-1.bmp", "xsda-2.bmp", "xsda-3.bmp", "显示答案", icons::eye, kRowButton, kButtonRowHeight},
    {Surface::ButtonRow, "ycda-1.bmp", "ycda-2.bmp", "ycda-3.bmp", "隐藏答案", icons::eyeOff, kRowButton, kButtonRowHeight},
    {Surface::ButtonRow, "cxdt-1.bmp", "cxdt-2.bmp", "cxdt-3.bmp", "重新答题", icons::redo, kRowButton, kButtonRowHeight},
    {Surface::ButtonRow, "tjsj-1.bmp", "tjsj-2.bmp", "tjsj-3.bmp", "提交试卷", icons::send, kRowButton, kButtonRowHeight},
    {Surface::ButtonRow, "da-1.bmp",   "da-2.bmp",   "da-3.bmp",   "放大", icons::textLarger, kShortRowButton, kButtonRowHeight},
    {Surface::ButtonRow, "xiao-1.bmp", "xiao-2.bmp", "xiao-3.bmp", "缩小", icons::textSmaller, kShortRowButton, kButtonRowHeight},
    {Surface::ButtonRow, "qpxs-1.bmp", "qpxs-2.bmp", "qpxs-3.bmp", "全屏显示", icons::expand, kRowButton, kButtonRowHeight},
    {Surface::ButtonRow, "ckxs-1.bmp", "ckxs-2.bmp", "ckxs-3.bmp", "窗口显示", icons::compress, kRowButton, kButtonRowHeight},
    // The result window's close button.
    {Surface::ButtonRow, "gb-1.bmp",   "gb-2.bmp",   "gb-3.bmp",   "关闭", icons::close, 105, 33},
    {Surface::ButtonRowBackground, "button-row.png", nullptr, nullptr, "", nullptr, 400, kButtonRowHeight},

    // Title bar.
    {Surface::TitleButton, "MinBtn-1.bmp",   "MinBtn-2.bmp",   "MinBtn-3.bmp",   "最小化", icons::minimize, kTitleButton, kTitleBarHeight},
    {Surface::TitleButton, "MaxBtn-1.bmp",   "MaxBtn-2.bmp",   "MaxBtn-3.bmp",   "最大化", icons::maximize, kTitleButton, kTitleBarHeight},
    {Surface::TitleButton, "resBtn-1.bmp",   "resBtn-2.bmp",   "resBtn-3.bmp",   "还原", icons::restore, kTitleButton, kTitleBarHeight},
    {Surface::TitleButton, "CloseBtn-1.bmp", "CloseBtn-2.bmp", "CloseBtn-3.bmp", "关闭", icons::close, kTitleButton, kTitleBarHeight},
    {Surface::TitleBackground, "title-bar.png", nullptr, nullptr, "", nullptr, 400, kTitleBarHeight},
};
// clang-format on

std::vector<ArtworkFile> expandTable() {
    std::vector<ArtworkFile> files;
    for (const ArtworkRow& row : kTable) {
        const char* names[] = {row.idle, row.hover, row.pressed};
        const ButtonState states[] = {ButtonState::Idle, ButtonState::Hover, ButtonState::Pressed};
        for (int i = 0; i < 3; ++i) {
            if (names[i] == nullptr) {
                continue;
            }
            files.push_back({QString::fromLatin1(names[i]), QString::fromUtf8(row.label), row.icon,
                             QSize(row.width, row.height), states[i], row.surface});
        }
    }
    return files;
}

}  // namespace

const std::vector<ArtworkFile>& artworkFiles() {
    static const std::vector<ArtworkFile> files = expandTable();
    return files;
}

}  // namespace quorvex::artwork
