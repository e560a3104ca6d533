// A small window in the bottom right corner of the screen that starts
// dragging the files named on its command line when it is pressed, as a
// file manager does: for the picture of the window taking a drop
// (scripts/screenshot.sh). Built by that script; not part of the program.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <utility>

class CDragSource : public QWidget {
public:
    explicit CDragSource(QList<QUrl> urls) : urls_(std::move(urls)) { setWindowTitle("drag-files"); resize(80, 60); }

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setUrls(urls_);
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    }

private:
    QList<QUrl> urls_;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i)
        urls.push_back(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i])));
    CDragSource source(urls);
    source.move(1200, 890);
    source.show();
    return app.exec();
}
