#include "ui/dialogs/frmMSG.h"

#include "ui/dialogs/Desktop.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/KeyInputFilter.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/WindowKeeper.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace mrt {

namespace {

const QColor kWindowColor(224, 235, 224);
const QColor kButtonColor(176, 202, 153);
const QColor kHintColor(112, 134, 85);
constexpr int kPictureButtonW = 40; // 600 × 450 twips
constexpr int kPictureButtonH = 30;
constexpr int kIconSide = 32;

QString buttonStyle(const QColor& c) {
    return QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2; border-radius: 3px; }"
                          "QPushButton:focus { border: 2px solid %3; }"
                          "QPushButton:pressed { background-color: %2; }")
        .arg(c.name(), c.darker(150).name(), c.darker(260).name());
}

} // namespace

// ---- window -----------------------------------------------------------------------------------

QString frmMSG::YesCaption() {
    return QString::fromUtf8("は   い");
}
QString frmMSG::NoCaption() {
    return QString::fromUtf8("い い え");
}

frmMSG::frmMSG(QWidget* owner, int keyInputMode) : QDialog(owner), m_keyInputMode(keyInputMode) {
    setFont(UiFont(PGothicFace(), 10));
    m_icon = new QLabel(this);
    m_msg = new QLabel(this);
    m_msg->setTextFormat(Qt::PlainText);
    m_text = new QLineEdit(this);
    // The input box takes amounts and numbers only.
    SetDirectInput(m_text);
    m_text->installEventFilter(this);
    // The DOS type's overwrite mode; Enter stays with this window (it presses the confirm button).
    (new KeyInputFilter(m_keyInputMode, false, this))->attach(m_text);
    m_list = new QListWidget(this);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->installEventFilter(this);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { pressButton(0); });
    m_hint = new QLabel(this);
    m_hint->setAlignment(Qt::AlignCenter);
    QPalette hp = m_hint->palette();
    hp.setColor(QPalette::WindowText, kHintColor);
    m_hint->setPalette(hp);
    for (int i = 0; i < 2; ++i)
        makeButton();
    SetMsgColor(kWindowColor, kButtonColor);
}

QPushButton* frmMSG::makeButton() {
    auto* b = new QPushButton(this);
    const int index = static_cast<int>(m_buttons.size());
    b->setAutoDefault(false);
    b->installEventFilter(this);
    connect(b, &QPushButton::clicked, this, [this, index] { pressButton(index); });
    m_buttons.push_back(b);
    return b;
}

QPushButton* frmMSG::Button(int index) const {
    return index >= 0 && index < static_cast<int>(m_buttons.size()) ? m_buttons[index] : nullptr;
}

void frmMSG::SetMsgColor(const QColor& window, const QColor& buttons) {
    QPalette p = palette();
    p.setColor(QPalette::Window, window);
    setPalette(p);
    setAutoFillBackground(true);
    m_buttonColor = buttons;
    for (QPushButton* b : m_buttons)
        b->setStyleSheet(buttonStyle(buttons));
}

void frmMSG::MsgKelset(const QStringList& sel, const QString& msg, const QString& ttl, int x, int y, Mode mode) {
    FocusNm = 0;
    SelNm = 0;
    m_mode = mode;
    const bool pictures = !m_pictures.empty();
    const int selq = mode == kNoButtons ? 0 : static_cast<int>(pictures ? m_pictures.size() : sel.size());
    while (static_cast<int>(m_buttons.size()) < selq)
        makeButton();
    SetMsgColor(kWindowColor, kButtonColor);

    // An empty title gives a window without a caption bar, one text line lower.
    m_frameless = ttl.isEmpty();
    setWindowFlags(m_frameless ? (Qt::Dialog | Qt::FramelessWindowHint)
                               : (Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint));
    setWindowTitle(QString::fromUtf8("　") + ttl);
    const int iconNumber = (mode == kInput || mode == kList) ? 5 : (selq <= 1 ? 1 : 2);
    m_icon->setPixmap(IconPicture(iconNumber, kIconSide));

    // The message is measured in the font it is drawn in.
    KeepFontInChildren(this);
    const QFontMetrics fm(m_msg->font());
    const int kw = fm.horizontalAdvance(QString::fromUtf8("漢"));
    const int lh = fm.height();
    const int margin = kw;
    QString text = msg;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_msg->setText(text);
    const QSize msgSize = fm.size(0, text.isEmpty() ? QStringLiteral(" ") : text);

    const int textX = margin + kIconSide + margin;
    int width = textX + msgSize.width() + margin;
    int yPos = margin;
    m_icon->setGeometry(margin, margin, kIconSide, kIconSide);
    m_msg->setGeometry(textX, yPos, msgSize.width() + 2, msgSize.height());
    yPos += std::max(msgSize.height(), kIconSide) + lh / 2;

    m_text->setVisible(mode == kInput);
    m_list->setVisible(mode == kList);
    if (mode == kInput) {
        const int boxW = (m_maxInput + 1) * kw / 2 + 12;
        const int boxH = static_cast<int>(std::lround(1.925 * lh));
        m_text->setGeometry(textX, yPos, std::max(boxW, 2 * kw), boxH);
        width = std::max(width, textX + m_text->width() + margin);
        yPos += boxH + lh / 2;
    } else if (mode == kList) {
        const int rows = std::clamp(m_list->count(), 1, 10);
        int listW = 0;
        for (int i = 0; i < m_list->count(); ++i)
            listW = std::max(listW, m_list->fontMetrics().horizontalAdvance(m_list->item(i)->text()));
        listW += 16 + (m_list->count() > 10 ? m_list->verticalScrollBar()->sizeHint().width() : 0);
        const int rowH = std::max(m_list->sizeHintForRow(0), m_list->fontMetrics().height());
        m_list->setGeometry(textX, yPos, std::max(listW, 6 * kw), rows * rowH + 2 * m_list->frameWidth());
        width = std::max(width, textX + m_list->width() + margin);
        yPos += m_list->height() + lh / 2;
    }

    // Buttons in one row, centred: 6 characters × 1.5 lines, pictures 600 × 450 twips.
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.8);
    int bw = pictures ? kPictureButtonW : 6 * kw;
    if (!pictures) {
        // A caption that does not fit even in the smaller font widens every button of the row.
        const QFontMetrics smallFm(small);
        for (const QString& caption : sel)
            bw = std::max(bw, (caption.size() > 5 ? smallFm : fm).horizontalAdvance(caption) + kw);
    }
    const int bh = pictures ? kPictureButtonH : static_cast<int>(std::lround(1.5 * lh));
    const int gap = kw / 2;
    const int rowW = selq > 0 ? selq * bw + (selq - 1) * gap : 0;
    width = std::max(width, rowW + 2 * margin);
    const int rowX = (width - rowW) / 2;
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        QPushButton* b = m_buttons[i];
        if (i >= selq) {
            b->hide();
            continue;
        }
        if (pictures) {
            b->setText(QString());
            b->setIcon(ButtonPicture(m_pictures[i], QSize(bw - 8, bh - 6)));
            b->setIconSize(QSize(bw - 8, bh - 6));
        } else {
            b->setIcon(QIcon());
            b->setText(sel.at(i));
            // A caption longer than 5 characters takes the smaller font.
            b->setFont(sel.at(i).size() > 5 ? small : font());
        }
        b->setGeometry(rowX + i * (bw + gap), yPos, bw, bh);
        b->show();
    }
    m_shownButtons = selq;
    if (selq > 0) yPos += bh + lh / 3;
    m_hint->hide();
    m_hint->setGeometry(margin, yPos, width - 2 * margin, lh);
    if (mode != kNoButtons) yPos += lh; // room for the hint line, shown by some questions
    setFixedSize(width, yPos + margin / 2);
    m_pictures.clear();
    place(x, y);
}

void frmMSG::place(int x, int y) {
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect screen = AvailableArea(owner ? owner : this);
    const QRect o = owner ? owner->frameGeometry() : screen;
    const int w = width(), h = height();
    int left = 0, top = 0;
    switch (x) {
    case 0:
        left = o.x() + (o.width() - w) / 2;
        break;
    case 1:
        left = o.x() + o.width() - w;
        break;
    case 2:
        left = o.x() + o.width();
        break;
    case -1:
        left = o.x();
        break;
    case -2:
        left = o.x() - w;
        break;
    default:
        left = screen.x() + (screen.width() - w) / 2;
        break;
    }
    switch (y) {
    case 0:
        top = o.y() + (o.height() - h) / 2;
        break;
    case 1:
        top = o.y() + o.height() - h;
        break;
    case 2:
        top = o.y() + o.height();
        break;
    case 3:
        top = o.y() + (o.height() / 4) * 3;
        break;
    case -1:
        top = o.y();
        break;
    case -2:
        top = o.y() - h;
        break;
    default:
        top = screen.y() + (screen.height() - h) / 2;
        break;
    }
    // Held within the screen's available area.
    left = std::max(std::min(left, screen.right() + 1 - w), screen.x());
    top = std::max(std::min(top, screen.bottom() + 1 - h), screen.y());
    move(left, top);
}

void frmMSG::showHint() {
    m_hint->setText(m_keyInputMode != 0 ? QString::fromUtf8("（ ← →で選択して[Enter]を押す ）")
                                        : QString::fromUtf8("（ [Tab]で選択して[Enter]を押す ）"));
    m_hint->show();
}

void frmMSG::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    if (m_frameless) {
        // Without a caption bar the window draws its own edge.
        QPainter p(this);
        p.setPen(kWindowColor.darker(170));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void frmMSG::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (m_mode == kInput) {
        m_text->setFocus();
        m_text->selectAll();
    } else if (m_mode == kList) {
        m_list->setFocus();
    } else if (QPushButton* b = Button(FocusNm); b && FocusNm < m_shownButtons) {
        b->setFocus();
    }
}

int frmMSG::runModal() {
    QApplication::beep();
    exec();
    QApplication::beep();
    return SelNm;
}

void frmMSG::pressButton(int index) {
    if (index < 0 || index >= m_shownButtons) return;
    SelNm = index + 1;
    accept();
}

void frmMSG::moveButtonFocus(int step) {
    if (m_shownButtons <= 0) return;
    int current = 0;
    for (int i = 0; i < m_shownButtons; ++i)
        if (m_buttons[i]->hasFocus()) current = i;
    const int next = (current + step + m_shownButtons) % m_shownButtons;
    m_buttons[next]->setFocus(Qt::TabFocusReason);
}

bool frmMSG::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (key->key() == Qt::Key_Escape) {
        // Esc acts as the cancel value of the operation.
        reject();
        return true;
    }
    if (watched == m_text) {
        if (enter) {
            pressButton(0);
            return true;
        }
        // Only Backspace is taken once the caret has reached the maximum length.
        const QString t = key->text();
        const bool typing =
            !t.isEmpty() && t.at(0).unicode() >= 32 && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (typing && m_text->cursorPosition() >= m_maxInput && !m_text->hasSelectedText()) return true;
        return false;
    }
    if (watched == m_list) {
        if (enter) {
            pressButton(0);
            return true;
        }
        return false;
    }
    for (int i = 0; i < m_shownButtons; ++i) {
        if (watched != m_buttons[i]) continue;
        if (enter || key->key() == Qt::Key_Space) {
            pressButton(i);
            return true;
        }
        if (key->key() == Qt::Key_Left) {
            moveButtonFocus(-1);
            return true;
        }
        if (key->key() == Qt::Key_Right) {
            moveButtonFocus(1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- operations ---------------------------------------------------------------------------------

void frmMSG::MsgOK(const QString& msg, const QString& ttl, int x, int y) {
    MsgKelset({QString::fromUtf8("Ｏ  Ｋ")}, msg, ttl, x, y, kButtons);
    runModal();
}

int frmMSG::MsgYesNo(const QString& msg, const QString& ttl) {
    MsgKelset({YesCaption(), NoCaption()}, msg, ttl, 0, 0, kButtons);
    return runModal() == 1 ? 0 : 1;
}

int frmMSG::MsgYesNo2(const QString& msg, const QString& ttl, int fnm) {
    MsgKelset({YesCaption(), NoCaption()}, msg, ttl, 0, 0, kButtons);
    showHint();
    FocusNm = std::clamp(fnm, 0, 1);
    return runModal() == 1 ? 0 : 1;
}

int frmMSG::MsgYesNoBtn(const QString& msg, const QString& ttl) {
    SetPictures({3, 2});
    MsgKelset({}, msg, ttl, 0, 0, kButtons);
    return runModal() == 1 ? 0 : 1;
}

int frmMSG::MsgKel(const QStringList& sel, const QString& msg, const QString& ttl, int x, int y) {
    MsgKelset(sel, msg, ttl, x, y, kButtons);
    const int r = runModal();
    return r > 0 ? r : static_cast<int>(sel.size());
}

int frmMSG::MsgKel2(const QStringList& sel, const QString& msg, const QString& ttl, int x, int y, int fnm) {
    MsgKelset(sel, msg, ttl, x, y, kButtons);
    showHint();
    FocusNm = fnm;
    const int r = runModal();
    return r > 0 ? r : static_cast<int>(sel.size());
}

int frmMSG::MsgKelBtn(const std::vector<int>& btnNm, const QString& msg, const QString& ttl, int x, int y) {
    SetPictures(btnNm);
    MsgKelset({}, msg, ttl, x, y, kButtons);
    const int r = runModal();
    return r > 0 ? r : static_cast<int>(btnNm.size());
}

int frmMSG::InputKel(QString& txt, const QString& msg, const QString& ttl, int x, int y, const QString& check,
                     int maxInput) {
    m_maxInput = maxInput >= 0 ? maxInput : static_cast<int>(txt.size());
    const RangeCheck range = ParseRangeCheck(check);
    QString message = msg;
    QString entered = txt;
    for (;;) {
        MsgKelset({QString::fromUtf8("入力確定"), QString::fromUtf8("中  　止")}, message, ttl, x, y, kInput);
        m_text->setMaxLength(std::max(m_maxInput, 1));
        m_text->setText(entered);
        const int r = runModal();
        entered = m_text->text().left(m_maxInput);
        if (r != 1) return -1;
        txt = entered;
        if (InRange(range, NumericValue(txt))) return 0;
        QApplication::beep();
        message = msg + QString::fromUtf8(" （入力エラー）");
    }
}

int frmMSG::ListKel(const QStringList& dt, int nm, const QString& msg, const QString& ttl, int x, int y) {
    m_list->clear();
    m_list->addItems(dt);
    MsgKelset({QString::fromUtf8("選択確定"), QString::fromUtf8("中  　止")}, msg, ttl, x, y, kList);
    m_list->clearSelection();
    m_list->setCurrentRow(-1);
    if (nm >= 1 && nm <= dt.size()) {
        m_list->setCurrentRow(nm - 1);
        m_list->item(nm - 1)->setSelected(true);
        m_list->scrollToItem(m_list->item(nm - 1));
    }
    const int r = runModal();
    const QList<QListWidgetItem*> chosen = m_list->selectedItems();
    if (r != 1 || chosen.isEmpty()) return -1;
    return m_list->row(chosen.first()) + 1;
}

int frmMSG::ListKelBtn(const QStringList& dt, int nm, const QString& msg, const QString& ttl, int x, int y) {
    m_list->clear();
    m_list->addItems(dt);
    SetPictures({1, 2});
    MsgKelset({}, msg, ttl, x, y, kList);
    m_list->clearSelection();
    m_list->setCurrentRow(-1);
    if (nm >= 1 && nm <= dt.size()) {
        m_list->setCurrentRow(nm - 1);
        m_list->item(nm - 1)->setSelected(true);
    }
    const int r = runModal();
    const QList<QListWidgetItem*> chosen = m_list->selectedItems();
    if (r != 1 || chosen.isEmpty()) return -1;
    return m_list->row(chosen.first()) + 1;
}

void frmMSG::MsgOn(const QString& msg, const QString& ttl) {
    MsgKelset({}, msg, ttl, 10, 10, kNoButtons);
    setModal(false);
    show();
    raise();
    // Painted now: the long task that follows runs without returning to the event loop.
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmMSG::MsgOff() {
    hide();
}

} // namespace mrt
