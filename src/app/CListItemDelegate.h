// Sizes the items of the window's icon-view lists and gives their tips.
// Every item is as wide as its grid cell and has room for its image and
// two lines of label, whatever the other items hold, so that a clip name
// and the transition under it both show. Resting the mouse on an item
// shows its info tip; a label that is cut short shows whole in the tip,
// above the info tip when there is one.
#pragma once
#include <QStyledItemDelegate>

#include <functional>

class QListView;

class CListItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // The info tip of the item in row `row`; empty for none.
    using InfoTip = std::function<QString(int row)>;

    // A tip stays up this long.
    static constexpr int kTipShowMs = 10000;

    explicit CListItemDelegate(QListView* list, InfoTip infoTip = {});

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // The height of an item: its image and two lines of label, in `list`
    // (with its font and image size) or as `option` draws it.
    int ItemHeight(const QListView* list) const;
    int ItemHeight(const QStyleOptionViewItem& option) const;
    // Whether the label of `index`, drawn in `option.rect`, is cut short.
    bool LabelElided(const QStyleOptionViewItem& option, const QModelIndex& index) const;

protected:
    // Labels start right under the image.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    InfoTip infoTip_;
};
