#include "feedback_session.h"

#include <QtTest>

#include "store/connection.h"
#include "store/query.h"

namespace quorvex::testing {

QByteArray commandBankJson() {
    return QByteArrayLiteral(R"json({
  "format": "quorvex-bank/1",
  "subject": { "name": "职业病", "code": "zyb", "count": "6" },
  "qtypes": [
    { "id": 3, "code": 1, "title": "A1型题：单句型最佳选择题" },
    { "id": 10, "code": 8, "title": "A3/A4型题：案例分析题" },
    { "id": 11, "code": 9, "title": "B型题：配伍选择题" }
  ],
  "examSettings": [1, 0, 1, 1],
  "tree": [
    { "name": "内科学", "children": [
      { "name": "基础知识", "children": [
        { "name": "第一章 职业性有害因素", "groups": [
          { "qtype": 3, "questions": [
            { "id": 123, "content": "下列属于物理因素的是", "options": ["苯", "噪声", "铅"],
              "answer": "B", "explain": "噪声属于物理因素。" },
            { "id": 12345, "content": "下列属于生物因素的是", "options": ["紫外线", "炭疽杆菌", "高温"],
              "answer": "B", "explain": "炭疽杆菌属于生物因素。" },
            { "id": 7, "content": "题干含'单引号'与\"双引号\"; delete from zezaz; --", "options": ["甲", "乙"],
              "answer": "A", "explain": "引号不影响题目。" }
          ] }
        ] },
        { "name": "第二章 职业病诊断", "groups": [
          { "qtype": 10, "content": "患者，男，45岁，石英砂厂工人，接尘15年。",
            "questions": [
              { "id": 20001, "itemnum": "1", "content": "最可能的诊断是", "options": ["矽肺", "肺结核"],
                "answer": "A", "explain": "长期接触矽尘。" },
              { "id": 20002, "itemnum": "2", "content": "诊断最需要的检查是", "options": ["高千伏胸片", "血常规"],
                "answer": "A", "explain": "依据胸片诊断尘肺。" }
          ] },
          { "qtype": 11, "content": "A．铅  B．苯", "opnum": 2,
            "questions": [
              { "id": 30001, "itemnum": "1", "content": "可引起再生障碍性贫血的是", "answer": "B",
                "explain": "苯抑制骨髓造血。" }
          ] }
        ] }
      ] }
    ] }
  ]
}
)json");
}

FeedbackSession::FeedbackSession() : folder(commandBankJson()) {}

mainwindow::MainWindow& FeedbackSession::show() {
    window = std::make_unique<mainwindow::MainWindow>(folder.path(), dialogs);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowExposed(window.get())) {
        qWarning("main window not exposed");
    }
    return *window;
}

bool FeedbackSession::pageShows(qint64 questionId) const {
    const QString id = QStringLiteral("fan") + QString::number(questionId);
    return page().readControls({id}).value(id).exists;
}

QAbstractButton* FeedbackSession::button(const char* objectName) const {
    return window->findChild<QAbstractButton*>(QString::fromLatin1(objectName));
}

bool FeedbackSession::clickQuestionButton(const QString& name, qint64 questionId) const {
    // The onclick text names the question: xsda(this,'ansnote7'), ...('http://scbt7'), ...('http://ctfk7').
    const QString target = name == QLatin1String("tolvanexsda")   ? QStringLiteral("ansnote")
                           : name == QLatin1String("tolvanescbt") ? QStringLiteral("scbt")
                                                                  : QStringLiteral("ctfk");
    const QString script = QStringLiteral(
                               "(function () {"
                               " var buttons = document.querySelectorAll('input[name=%1]');"
                               " for (var i = 0; i < buttons.length; i++) {"
                               "  if ((buttons[i].getAttribute('onclick') || '').indexOf(\"%2'\") >= 0) {"
                               "   buttons[i].click();"
                               "   return true;"
                               "  }"
                               " }"
                               " return false;"
                               "})();")
                               .arg(name, target + QString::number(questionId));
    return page().runScript(script).toBool();
}

QStringList FeedbackSession::favourites() const {
    store::Connection connection(store::connectionStringFor(folder.path()));
    store::Query query(connection);
    query.setSql(QStringLiteral("select id from question where scbt='1' order by id"));
    query.open();
    QStringList ids;
    for (; !query.eof(); query.next()) {
        ids << query.text(QStringLiteral("id"));
    }
    return ids;
}

void FeedbackSession::runStatement(const QString& sql) const {
    store::Connection connection(store::connectionStringFor(folder.path()));
    connection.execute(sql);
    connection.close();
}

}  // namespace quorvex::testing
