#include "ui/settings/frmINI.h"

#include "ui/dialogs/DialogOwner.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/KeyInputFilter.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/QtText.h"
#include "ui/dialogs/WindowKeys.h"
#include "ui/grid/CellEditBox.h"
#include "ui/grid/GridView.h"
#include "ui/help/HelpWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace mrt {
namespace {

constexpr int kMargin = 10;

} // namespace

frmINI::frmINI(QWidget* owner, int keyInputMode, Dialogs* dialogs) : QDialog(owner), m_dialogs(dialogs) {
    setWindowTitle(QStringLiteral("環境設定"));
    setModal(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(kSettingsWindowColor));
    setPalette(pal);
    setAutoFillBackground(true);

    m_lblOnePtHelp = new QLabel(this);
    m_lblOnePtHelp->setFont(UiFont(PGothicFace(), 9));
    m_lblOnePtHelp->setWordWrap(true);
    m_lblOnePtHelp->setFrameShape(QFrame::Panel);
    m_lblOnePtHelp->setFrameShadow(QFrame::Sunken);
    m_lblOnePtHelp->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_lblOnePtHelp->setStyleSheet(QStringLiteral("background-color: rgb(255,255,232); padding: 2px 4px;"));
    m_cmdHelp = new QPushButton(this);
    m_cmdHelp->setIcon(QIcon(ButtonPicture(4, QSize(24, 24))));
    m_cmdHelp->setIconSize(QSize(24, 24));
    m_cmdHelp->setToolTip(QStringLiteral("環境設定の説明を表示します [F1]"));

    m_txtEdit = new QLineEdit(this);
    m_box.Attach(m_txtEdit, this);
    m_txtEdit->setFrame(false);
    m_txtEdit->setStyleSheet(QStringLiteral("background-color: rgb(255,255,144); border: 1px solid black;"));
    m_txtEdit->setAttribute(Qt::WA_InputMethodEnabled, false); // numbers only
    m_txtEdit->hide();
    auto* keys = new KeyInputFilter(keyInputMode, false, m_txtEdit);
    keys->attach(m_txtEdit);
    m_txtEdit->installEventFilter(this);

    m_picMENU = new QWidget(this);
    m_picMENU->setAttribute(Qt::WA_StyledBackground, true);
    m_picMENU->setStyleSheet(QStringLiteral("background-color: rgb(176,208,192);"));
    m_cmdOK = new QPushButton(QIcon(ButtonPicture(1, QSize(22, 22))), QStringLiteral(" 登  録 [F12]"), m_picMENU);
    m_cmdCancel =
        new QPushButton(QIcon(ButtonPicture(2, QSize(22, 22))), QStringLiteral(" キャンセル [Esc]"), m_picMENU);
    m_cmdOK->setToolTip(QStringLiteral("設定値を登録して終了します"));
    m_cmdCancel->setToolTip(QStringLiteral("設定値を変更せずに終了します"));
    for (QPushButton* b : {m_cmdOK, m_cmdCancel, m_cmdHelp}) {
        b->setAutoDefault(false);
        b->installEventFilter(this);
    }
    m_cmdCancel->setFocusPolicy(Qt::NoFocus);
    m_cmdHelp->setFocusPolicy(Qt::NoFocus);
    connect(m_cmdOK, &QPushButton::clicked, this, [this] {
        if (m_editor) m_editor->Confirm(editText());
    });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        if (m_editor) m_editor->Cancel();
    });
    connect(m_cmdHelp, &QPushButton::clicked, this, [this] {
        if (m_editor) m_editor->Help();
    });
    installEventFilter(this);
}

frmINI::~frmINI() {
    delete m_fxgMX;
}

void frmINI::Attach(SettingsEditor& editor) {
    delete m_fxgMX;
    GridModel& g = editor.Grid();
    m_fxgMX = new GridView(this, &g);
    m_fxgMX->setFont(UiFont(GothicFace(), 10));
    g.SetFontSize(10);
    // Each column as wide as its header, rows one and a half text lines high.
    const QFontMetrics fm(m_fxgMX->GridFont());
    for (int c = 0; c < 2; ++c)
        g.SetColWidth(c, PixelsToTwips(fm.horizontalAdvance(qs(g.TextMatrix(0, c))) + 8));
    g.SetAllRowHeights(PixelsToTwips(fm.height() * 3 / 2));
    m_txtEdit->setFont(m_fxgMX->GridFont());

    connect(m_fxgMX, &GridView::KeyDown, this, [this](int key, Qt::KeyboardModifiers mods, bool* consumed) {
        if (!m_editor || m_txtEdit->isVisible()) return;
        QKeyEvent ke(QEvent::KeyPress, key, mods);
        std::optional<WindowKey> k = ToWindowKey(&ke);
        if (k == WindowKey::AltF4) {
            *consumed = altF4();
            return;
        }
        // A character comes with its text in KeyPress.
        if (!k || k == WindowKey::Char) return;
        m_editor->KeyOnGrid(*k);
        *consumed = true;
    });
    connect(m_fxgMX, &GridView::KeyPress, this, [this](int code, const QString& text, bool* consumed) {
        if (!m_editor || text.isEmpty() || code < 32) return;
        m_editor->KeyOnGrid(WindowKey::Char, text.toStdString());
        *consumed = true;
    });
    connect(m_fxgMX, &GridView::GotFocus, this, [this] {
        // A click is handled when its cell is known (MouseDown).
        if (m_editor && QApplication::mouseButtons() == Qt::NoButton) m_editor->GridFocused();
    });
    connect(m_fxgMX, &GridView::MouseDown, this, [this](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        int row = 0, col = 0;
        if (!m_editor || !m_fxgMX->CellAt(QPoint(x, y), row, col) || row < 1 || col < 1) return;
        if (row != m_fxgMX->model().Row())
            m_editor->LeaveCell(editText());
        else
            m_editor->GridFocused();
    });
    layOut();
}

void frmINI::layOut() {
    const QFontMetrics hm(m_lblOnePtHelp->font());
    const QSize gridSize = m_fxgMX->SizeForRows(m_fxgMX->model().Rows(), false);
    // The help line is as wide as the grid beside its button and as high as the longest help of
    // the six rows needs.
    const int buttonW = 3 * hm.height() + 12;
    const int helpW = std::max(gridSize.width() - buttonW - kMargin, 200);
    int helpH = buttonW;
    for (const SettingsItem& item : SettingsItems(IniRecord{})) {
        const QRect r = hm.boundingRect(QRect(0, 0, helpW - 12, 1000), Qt::TextWordWrap,
                                        qs(item.helpLine).remove(QLatin1Char('\r')));
        helpH = std::max(helpH, r.height() + 12);
    }
    m_lblOnePtHelp->setGeometry(kMargin, kMargin, helpW, helpH);
    m_cmdHelp->setGeometry(kMargin + helpW + kMargin, kMargin, buttonW, buttonW);
    m_fxgMX->setGeometry(kMargin, kMargin + helpH + kMargin, gridSize.width(), gridSize.height());
    const int buttonH = 34;
    const int menuY = m_fxgMX->geometry().bottom() + 1 + kMargin;
    const int okW = m_cmdOK->sizeHint().width() + 16, cancelW = m_cmdCancel->sizeHint().width() + 16;
    m_picMENU->setGeometry(kMargin, menuY, gridSize.width(), buttonH + 12);
    m_cmdCancel->setGeometry(gridSize.width() - cancelW - 6, 6, cancelW, buttonH);
    m_cmdOK->setGeometry(gridSize.width() - cancelW - okW - 12, 6, okW, buttonH);
    setFixedSize(gridSize.width() + 2 * kMargin, menuY + buttonH + 12 + kMargin);
}

void frmINI::RunModal(SettingsEditor& editor) {
    m_editor = &editor;
    m_hiding = false;
    DialogOwner questions(m_dialogs, this);
    exec();
    m_editor = nullptr;
    // The grid shows the editor's model, which goes away with it.
    m_txtEdit->hide();
    delete m_fxgMX;
    m_fxgMX = nullptr;
}

void frmINI::ShowEditBox(int row, int col, const std::string& text, int caret) {
    m_box.Show(m_fxgMX, row, col, qs(text), caret);
}

// The box over its cell again, now that the grid knows its real size.
void frmINI::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    m_box.Place(m_fxgMX);
    m_box.Focus();
}

void frmINI::HideEditBox() {
    m_box.Hide(m_fxgMX);
}

void frmINI::SetEditText(const std::string& text) {
    m_box.SetText(qs(text));
}

void frmINI::FocusEditBox() {
    m_box.Focus();
}

void frmINI::FocusOK() {
    m_cmdOK->setFocus();
}

void frmINI::SetHelpLine(const std::string& text) {
    m_lblOnePtHelp->setText(qs(text).remove(QLatin1Char('\r')));
}

void frmINI::HideWindow() {
    m_hiding = true;
    done(QDialog::Accepted);
}

std::string frmINI::editText() const {
    return m_txtEdit->isVisible() ? m_txtEdit->text().toStdString() : std::string();
}

bool frmINI::altF4() {
    return AltF4CloseHelpOrWindow(this);
}

bool frmINI::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ToWindowKey(ke)) ke->accept();
        return false;
    }
    if (watched == m_txtEdit && event->type() == QEvent::FocusIn) return KeepCaretOnTabFocus(m_txtEdit, event);
    if (event->type() != QEvent::KeyPress || !m_editor) return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    const std::optional<WindowKey> key = ToWindowKey(ke);
    if (!key) return false;
    if (*key == WindowKey::AltF4) return altF4();
    if (watched == m_txtEdit) {
        switch (*key) {
        case WindowKey::Enter:
        case WindowKey::ShiftEnter:
        case WindowKey::Up:
        case WindowKey::Down:
        case WindowKey::Esc:
        case WindowKey::F1:
        case WindowKey::F12:
            m_editor->KeyInEditBox(*key, editText());
            return true;
        case WindowKey::Tab:
        case WindowKey::ShiftTab:
            return true; // the box keeps the focus
        default:
            return false; // typing and the caret keys are the box's
        }
    }
    if (watched == m_cmdOK && (*key == WindowKey::Enter || *key == WindowKey::ShiftEnter)) {
        m_cmdOK->click();
        return true;
    }
    if (watched == m_cmdOK || watched == m_cmdCancel || watched == m_cmdHelp || watched == this) {
        m_editor->KeyElsewhere(*key, editText());
        return true;
    }
    return false;
}

void frmINI::closeEvent(QCloseEvent* e) {
    if (m_hiding || !m_editor) {
        e->accept();
        return;
    }
    e->ignore();
    m_editor->Cancel();
}

void frmINI::reject() {
    if (m_hiding || !m_editor)
        QDialog::reject();
    else
        m_editor->Cancel();
}

} // namespace mrt
