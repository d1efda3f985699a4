#include "ui/main/ChoiceBox.h"

#include "ui/dialogs/Desktop.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

namespace mrt {

ChoiceBox::ChoiceBox(QWidget* parent) : QWidget(parent) {
    m_edit = new QLineEdit(parent);
    m_list = new QListWidget(parent);
    m_edit->hide();
    m_list->hide();
    // Item, breakdown and shop names are typed in Japanese.
    SetJapaneseInput(m_edit);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_edit->installEventFilter(this);
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* it) {
        select(m_list->row(it));
        m_edit->setFocus();
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* it) { emit EntryDoubleClicked(m_list->row(it)); });
    hide();
}

void ChoiceBox::SetColour(const QColor& c) {
    const QString css = QStringLiteral("background-color: rgb(%1,%2,%3);").arg(c.red()).arg(c.green()).arg(c.blue());
    m_edit->setStyleSheet(css + QStringLiteral(" border: 1px solid black;"));
    m_list->setStyleSheet(css);
}

void ChoiceBox::Open(const QStringList& entries, int selected, const QString& text, const QRect& cell,
                     int listRows) {
    m_list->clear();
    m_list->addItems(entries);
    m_edit->setFont(font());
    m_list->setFont(font());
    m_edit->setGeometry(cell);
    const int rows = std::max(1, std::min<int>(listRows, entries.size()));
    const int rowH = m_list->sizeHintForRow(0) > 0 ? m_list->sizeHintForRow(0) : cell.height();
    m_list->setGeometry(cell.x(), cell.bottom() + 1, std::max(cell.width(), m_list->sizeHintForColumn(0) + 24),
                        rows * rowH + 4);
    if (selected >= 0 && selected < entries.size()) {
        select(selected);
    } else {
        m_list->setCurrentRow(-1);
        m_list->clearSelection();
        m_edit->setText(text);
    }
    m_edit->show();
    m_list->show();
    m_edit->raise();
    m_list->raise();
    m_edit->setFocus();
    m_edit->selectAll();
}

void ChoiceBox::Close() {
    m_edit->hide();
    m_list->hide();
}

int ChoiceBox::Selected() const {
    const int r = m_list->currentRow();
    if (r < 0 || r >= m_list->count()) return -1;
    return m_list->item(r)->text() == m_edit->text() ? r : -1;
}

QString ChoiceBox::Text() const { return m_edit->text(); }

void ChoiceBox::select(int index) {
    if (index < 0 || index >= m_list->count()) return;
    m_list->setCurrentRow(index);
    m_list->scrollToItem(m_list->item(index));
    m_edit->setText(m_list->item(index)->text());
    m_edit->selectAll();
}

bool ChoiceBox::eventFilter(QObject* obj, QEvent* e) {
    if (obj != m_edit || e->type() != QEvent::KeyPress) return QWidget::eventFilter(obj, e);
    auto* ke = static_cast<QKeyEvent*>(e);
    const int page = std::max(1, m_list->height() / std::max(1, m_list->sizeHintForRow(0)) - 1);
    switch (ke->key()) {
    case Qt::Key_Down: select(std::min(m_list->count() - 1, m_list->currentRow() + 1)); return true;
    case Qt::Key_Up: select(std::max(0, m_list->currentRow() - 1)); return true;
    case Qt::Key_PageDown: select(std::min(m_list->count() - 1, m_list->currentRow() + page)); return true;
    case Qt::Key_PageUp: select(std::max(0, m_list->currentRow() - page)); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: emit KeyEnter(); return true;
    case Qt::Key_Escape: emit KeyEsc(); return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: emit KeyTab(); return true;
    default: return false;
    }
}

} // namespace mrt
