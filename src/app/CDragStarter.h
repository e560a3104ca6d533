// Notices the start of a drag in the main window's lists: a press of the
// left button on an item followed by a move past the platform's drag
// distance asks the window (IDragHost) to begin a drag of that item. The
// drag itself is Qt's (QDrag), run by the window. While the button is held
// after a press on an item, moving does not change the list's selection.
#pragma once
#include <QObject>
#include <QPoint>

#include <vector>

class IDragHost;
class QListWidget;

class CDragStarter : public QObject {
    Q_OBJECT

public:
    // A child of `window`; it reports to `host`, which must outlive it.
    CDragStarter(QObject* window, IDragHost& host);

    // Watches `widget`, list number `list` of the drag rules.
    void Watch(QListWidget* widget, int list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Watched {
        QListWidget* widget;
        const QObject* viewport;
        int list;
    };
    const Watched* ListOfViewport(const QObject* object) const;

    IDragHost& host_;
    std::vector<Watched> lists_;
    // A press on an item that may turn into a drag.
    int pressList_ = -1;
    int pressItem_ = -1;
    QPoint pressPoint_;
};
