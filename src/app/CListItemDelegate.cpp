#include "CListItemDelegate.h"

#include <QApplication>
#include <QHelpEvent>
#include <QListView>
#include <QTextLayout>
#include <QToolTip>

namespace {

const QStyle* StyleOf(const QStyleOptionViewItem& option)
{
    return option.widget != nullptr ? option.widget->style() : QApplication::style();
}

} // namespace

CListItemDelegate::CListItemDelegate(QListView* list, InfoTip infoTip)
    : QStyledItemDelegate(list), infoTip_(std::move(infoTip))
{
}

int CListItemDelegate::ItemHeight(const QStyleOptionViewItem& option) const
{
    QStyleOptionViewItem sample = option;
    sample.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    sample.text = QStringLiteral("0") + QChar(QChar::LineSeparator) + QStringLiteral("0");
    return StyleOf(option)->sizeFromContents(QStyle::CT_ItemViewItem, &sample, QSize(), option.widget).height();
}

void CListItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
}

int CListItemDelegate::ItemHeight(const QListView* list) const
{
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.widget = list;
    option.font = list->font();
    option.decorationSize = list->iconSize();
    option.decorationPosition = QStyleOptionViewItem::Top;
    option.displayAlignment = Qt::AlignCenter;
    option.features = QStyleOptionViewItem::WrapText;
    return ItemHeight(option);
}

QSize CListItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // The list passes its grid cell as the rectangle: the item takes its
    // whole width, so that the label has all the room there is.
    const int width = option.rect.isValid() ? option.rect.width()
                                            : QStyledItemDelegate::sizeHint(option, index).width();
    return QSize(width, ItemHeight(opt));
}

bool CListItemDelegate::LabelElided(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (opt.text.isEmpty())
        return false;
    const QStyle* style = StyleOf(opt);
    // The same text rectangle and line breaking as the style's drawing.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget)
                           .adjusted(margin, 0, -margin, 0);
    QTextOption textOption;
    textOption.setWrapMode((opt.features & QStyleOptionViewItem::WrapText) ? QTextOption::WordWrap
                                                                           : QTextOption::ManualWrap);
    QTextLayout layout(opt.text, opt.font);
    layout.setTextOption(textOption);
    layout.beginLayout();
    qreal height = 0;
    bool tooWide = false;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        height += line.height();
        tooWide = tooWide || line.naturalTextWidth() > area.width();
    }
    layout.endLayout();
    return tooWide || height > area.height();
}

bool CListItemDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                  const QModelIndex& index)
{
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QString tip;
    if (index.isValid()) {
        if (infoTip_)
            tip = infoTip_(index.row());
        // A label cut short shows whole, above the info tip when there is one.
        if (LabelElided(option, index)) {
            const QString label = index.data(Qt::DisplayRole).toString();
            tip = tip.isEmpty() ? label : label + QLatin1Char('\n') + tip;
        }
    }
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(event->globalPos(), tip, view->viewport(), view->visualRect(index), kTipShowMs);
    return true;
}
