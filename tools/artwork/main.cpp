// quorvex-artwork: draws every picture of the program's tp/ folder.
//
//   quorvex-artwork OUTPUT_FOLDER    write the pictures into OUTPUT_FOLDER (created when missing)
//   quorvex-artwork --list           print "file width height" for every picture
//
// Needs a GUI application for the fonts, not a screen: it runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <QTextStream>

#include "artwork_renderer.h"
#include "artwork_table.h"

namespace {

using quorvex::artwork::ArtworkFile;

// Written through a temporary file, so that an interrupted build never leaves half a picture.
bool writePicture(const QImage& image, const QString& path, QString* error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, suffix == QLatin1String("jpg") ? "jpeg" : suffix.toLatin1());
    if (suffix == QLatin1String("jpg")) {
        writer.setQuality(96);
    }
    // Bitmaps and JPEG pictures carry no transparency.
    const QImage out = suffix == QLatin1String("png") ? image : image.convertToFormat(QImage::Format_RGB32);
    if (!writer.write(out)) {
        *error = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1 || args.first().startsWith(QLatin1String("-h"))) {
        err << "usage: quorvex-artwork OUTPUT_FOLDER | --list\n";
        return 2;
    }
    const auto& files = quorvex::artwork::artworkFiles();
    if (args.first() == QLatin1String("--list")) {
        for (const ArtworkFile& file : files) {
            out << file.fileName << ' ' << file.size.width() << ' ' << file.size.height() << '\n';
        }
        return 0;
    }

    if (!QFontDatabase::families().contains(quorvex::artwork::kLabelFontFamily)) {
        err << "quorvex-artwork: font \"" << quorvex::artwork::kLabelFontFamily
            << "\" is not installed (package fonts-noto-cjk); the labels fall back to another font\n";
    }
    const QDir folder(args.first());
    if (!QDir().mkpath(folder.absolutePath())) {
        err << "quorvex-artwork: cannot create " << folder.absolutePath() << '\n';
        return 1;
    }
    for (const ArtworkFile& file : files) {
        QString error;
        const QString path = folder.filePath(file.fileName);
        if (!writePicture(quorvex::artwork::renderArtwork(file), path, &error)) {
            err << "quorvex-artwork: cannot write " << path << ": " << error << '\n';
            return 1;
        }
    }
    out << "quorvex-artwork: " << files.size() << " pictures in " << folder.absolutePath() << '\n';
    return 0;
}
