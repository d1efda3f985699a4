#include "ui/budget/frmBGT.h"

#include "ui/dialogs/DialogOwner.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/KeyInputFilter.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/QtText.h"
#include "ui/dialogs/WindowKeys.h"
#include "ui/grid/CellEditBox.h"
#include "ui/grid/GridView.h"
#include "ui/help/HelpWindow.h"
#include "ui/names/WorkPictures.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>

namespace mrt {
namespace {

QString rgb(GridColor c) {
    return QStringLiteral("rgb(%1,%2,%3)").arg((c >> 16) & 0xFF).arg((c >> 8) & 0xFF).arg(c & 0xFF);
}

// Each ASCII digit as its full-width form.
QString fullWidth(int n) {
    QString s = QString::number(n);
    for (QChar& c : s)
        c = QChar(c.unicode() - u'0' + 0xFF10);
    return s;
}

constexpr int kMargin = 10;
constexpr GridColor kWindowColor = Rgb(208, 218, 208);

} // namespace

frmBGT::frmBGT(QWidget* owner, int keyInputMode, Dialogs* dialogs) : QDialog(owner), m_dialogs(dialogs) {
    setWindowTitle(QStringLiteral("予算表の登録"));
    setModal(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(kWindowColor));
    setPalette(pal);
    setAutoFillBackground(true);

    m_picHelp = new QWidget(this);
    m_picHelp->setAttribute(Qt::WA_StyledBackground, true);
    m_picHelp->setStyleSheet(QStringLiteral("background-color: rgb(176,208,192);"));
    m_lblOnePtHelp = new QLabel(qs(BudgetWindowHelp()).remove(QLatin1Char('\r')), m_picHelp);
    m_lblOnePtHelp->setFont(UiFont(PGothicFace(), 8));
    m_lblOnePtHelp->setFrameShape(QFrame::Panel);
    m_lblOnePtHelp->setFrameShadow(QFrame::Sunken);
    m_lblOnePtHelp->setStyleSheet(QStringLiteral("background-color: rgb(255,255,232); padding: 2px 4px;"));
    m_cmdHelp = new QPushButton(m_picHelp);
    m_cmdHelp->setIcon(QIcon(ButtonPicture(4, QSize(24, 24))));
    m_cmdHelp->setIconSize(QSize(24, 24));
    m_cmdHelp->setToolTip(QStringLiteral("予算表の登録の説明を表示します [F1]"));

    m_picBG = new QWidget(this);
    m_picBG->setAttribute(Qt::WA_StyledBackground, true);
    m_picBG->setStyleSheet(QStringLiteral("background-color: %1;").arg(rgb(kBudgetPanelColor)));
    m_lblDataMsg = new QLabel(m_picBG);
    m_lblDataMsg->setFont(UiFont(PGothicFace(), 14, true));
    m_lblDataMsg->setStyleSheet(QStringLiteral("color: %1;").arg(rgb(kBudgetCaptionColor)));
    m_lblInItemQT = new QLabel(QStringLiteral(" 入金項目数 "), m_picBG);
    m_lblInItemQ = new QLabel(m_picBG);
    m_lblOutItemQT = new QLabel(QStringLiteral(" 出金項目数 "), m_picBG);
    m_lblOutItemQ = new QLabel(m_picBG);
    for (QLabel* l : {m_lblInItemQT, m_lblOutItemQT})
        l->setStyleSheet(QStringLiteral("background-color: rgb(0,80,16); color: rgb(224,235,224);"));
    for (QLabel* l : {m_lblInItemQ, m_lblOutItemQ})
        l->setStyleSheet(QStringLiteral("color: rgb(0,80,16);"));

    const char* captions[3] = {" 入金/出金 [Tab]", " 前の月 [F2]", " 次の月 [F3]"};
    const char* tips[3] = {"入金と出金の予算表を切り替えます", "前の月の予算表を表示します",
                           "次の月の予算表を表示します"};
    const QPixmap pictures[3] = {WorkPicture(5, QSize(22, 22)), ButtonPicture(7, QSize(22, 22)),
                                 ButtonPicture(8, QSize(22, 22))};
    const BgtButton actions[3] = {BgtButton::SwitchKind, BgtButton::PreviousMonth, BgtButton::NextMonth};
    for (int i = 0; i < 3; ++i) {
        m_cmdTool[i] = new QPushButton(QIcon(pictures[i]), QString::fromUtf8(captions[i]), m_picBG);
        m_cmdTool[i]->setToolTip(QString::fromUtf8(tips[i]));
        const BgtButton b = actions[i];
        connect(m_cmdTool[i], &QPushButton::clicked, this, [this, b] {
            if (m_editor) m_editor->Button(b, editText());
        });
    }

    m_txtEdit = new QLineEdit(this);
    m_box.Attach(m_txtEdit, this);
    m_txtEdit->setFrame(false);
    m_txtEdit->setFont(UiFont(GothicFace(), 10));
    m_txtEdit->setStyleSheet(QStringLiteral("background-color: rgb(255,255,144); border: 1px solid black;"));
    m_txtEdit->setAttribute(Qt::WA_InputMethodEnabled, false); // amounts: the input method stays off
    m_txtEdit->hide();
    auto* keys = new KeyInputFilter(keyInputMode, false, m_txtEdit);
    keys->attach(m_txtEdit);
    m_txtEdit->installEventFilter(this);

    m_cmdOK = new QPushButton(QIcon(ButtonPicture(1, QSize(22, 22))), QStringLiteral(" 登  録 [F12]"), this);
    m_cmdCancel = new QPushButton(QIcon(ButtonPicture(2, QSize(22, 22))), QStringLiteral(" キャンセル [Esc]"), this);
    m_cmdOK->setToolTip(QStringLiteral("この月の予算表を登録します"));
    m_cmdCancel->setToolTip(QStringLiteral("この画面の入力を取り消して年月の入力に戻ります"));
    connect(m_cmdOK, &QPushButton::clicked, this, [this] {
        if (m_editor) m_editor->Button(BgtButton::OK, editText());
    });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        if (m_editor) m_editor->Button(BgtButton::Cancel, editText());
    });
    connect(m_cmdHelp, &QPushButton::clicked, this, [this] {
        if (m_editor) m_editor->Button(BgtButton::Help, editText());
    });
    for (QPushButton* b : {m_cmdTool[0], m_cmdTool[1], m_cmdTool[2], m_cmdOK, m_cmdCancel, m_cmdHelp}) {
        b->setAutoDefault(false);
        b->installEventFilter(this);
        if (b != m_cmdOK) b->setFocusPolicy(Qt::NoFocus);
    }
    installEventFilter(this);
}

frmBGT::~frmBGT() {
    dropGrids();
}

void frmBGT::dropGrids() {
    m_txtEdit->hide();
    delete m_fxgMX;
    delete m_fxgMxT;
    m_fxgMX = m_fxgMxT = nullptr;
}

void frmBGT::Attach(BudgetPageEditor& editor) {
    dropGrids();
    GridModel& g = editor.Grid();
    GridModel& s = editor.SumGrid();
    m_fxgMX = new GridView(this, &g);
    m_fxgMxT = new GridView(this, &s);
    m_fxgMxT->setFocusPolicy(Qt::NoFocus);
    // Columns as wide as their headers, rows 1.9 times the height of "A".
    const QFontMetrics fm(m_fxgMX->GridFont());
    const int rowH = PixelsToTwips(fm.height() * 19 / 10);
    for (int c = 0; c < 2; ++c) {
        const int w = PixelsToTwips(fm.horizontalAdvance(qs(g.TextMatrix(0, c))) + 6);
        g.SetColWidth(c, w);
        s.SetColWidth(c, w);
    }
    g.SetAllRowHeights(rowH);
    s.SetAllRowHeights(rowH);
    g.SetBackColorSel(FromQColor(palette().color(QPalette::Highlight)));
    g.SetForeColorSel(FromQColor(palette().color(QPalette::HighlightedText)));
    m_txtEdit->setFont(m_fxgMX->GridFont());

    const BudgetPage& page = editor.Page();
    m_lblDataMsg->setText(qs(page.caption));
    m_lblInItemQ->setText(fullWidth(page.itemCounts[0]));
    m_lblOutItemQ->setText(fullWidth(page.itemCounts[1]));

    connect(m_fxgMX, &GridView::KeyDown, this, [this](int key, Qt::KeyboardModifiers mods, bool* consumed) {
        if (!m_editor || m_txtEdit->isVisible()) return;
        QKeyEvent ke(QEvent::KeyPress, key, mods);
        std::optional<WindowKey> k = ToWindowKey(&ke);
        if (k == WindowKey::AltF4) {
            *consumed = altF4();
            return;
        }
        if (!k || k == WindowKey::Char) return; // a character comes with its text in KeyPress
        m_editor->KeyOnGrid(*k);
        *consumed = true;
    });
    connect(m_fxgMX, &GridView::KeyPress, this, [this](int code, const QString& text, bool* consumed) {
        if (!m_editor || text.isEmpty() || code < 32) return;
        m_editor->KeyOnGrid(WindowKey::Char, text.toStdString());
        *consumed = true;
    });
    connect(m_fxgMX, &GridView::GotFocus, this, [this] {
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
    // The user scrolls: the box's text goes into its cell and the box opens again where the
    // current cell now is (when it is still in view).
    connect(m_fxgMX->verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this] {
        if (!m_editor) return;
        m_editor->LeaveCell(editText());
        QTimer::singleShot(0, this, [this] {
            if (!m_editor || !m_fxgMX) return;
            m_fxgMX->setFocus();
            if (m_fxgMX->model().RowIsVisible(m_fxgMX->model().Row())) m_editor->GridFocused();
        });
    });
    layOut();
}

void frmBGT::layOut() {
    const QFontMetrics fm(m_fxgMX->GridFont());
    const int a = fm.horizontalAdvance(QLatin1Char('A'));
    // The header and 15 item rows; room for the scroll bar beside the columns.
    QSize gridSize = m_fxgMX->SizeForRows(1 + kBudgetVisibleRows, false);
    gridSize.setWidth(m_fxgMX->TotalColumnsWidth() + a * 27 / 10 + 2 * m_fxgMX->frameWidth());
    gridSize.setWidth(std::max(gridSize.width(), m_fxgMX->TotalColumnsWidth() +
                                                     m_fxgMX->verticalScrollBar()->sizeHint().width() +
                                                     2 * m_fxgMX->frameWidth()));
    const int rowPx = TwipsToPixels(m_fxgMX->model().RowHeight(0));

    // Help panel: the three help lines and the help button (600 twips wide).
    const QFontMetrics hm(m_lblOnePtHelp->font());
    const int helpH = 3 * hm.height() + 10;
    int helpW = 0;
    for (const QString& line : m_lblOnePtHelp->text().split(QLatin1Char('\n')))
        helpW = std::max(helpW, hm.horizontalAdvance(line) + 16);
    const int helpButtonW = TwipsToPixels(600);
    // Tool band: the caption, the count labels and the three page buttons.
    int toolsW = 0;
    for (QPushButton* b : m_cmdTool)
        toolsW += b->sizeHint().width() + 6;
    const QFontMetrics cm(m_lblDataMsg->font());
    const int captionW = cm.horizontalAdvance(QStringLiteral("２００４年 １２月分（出金）")) + 12;
    const int contentW = std::max({gridSize.width(), helpW + helpButtonW + 3 * 6, captionW + toolsW + 12});

    int y = kMargin;
    m_picHelp->setGeometry(kMargin, y, contentW, helpH + 12);
    m_lblOnePtHelp->setGeometry(6, 6, contentW - helpButtonW - 18, helpH);
    m_cmdHelp->setGeometry(contentW - helpButtonW - 6, 6, helpButtonW, helpH);
    y += helpH + 12 + kMargin;

    const int buttonH = 32, countH = hm.height() + 8;
    m_picBG->setGeometry(kMargin, y, contentW, buttonH + countH + 18);
    m_lblDataMsg->setGeometry(8, 6, captionW, buttonH);
    int x = contentW - 6;
    for (int i = 2; i >= 0; --i) {
        const int w = m_cmdTool[i]->sizeHint().width();
        x -= w;
        m_cmdTool[i]->setGeometry(x, 6, w, buttonH);
        x -= 6;
    }
    const QFontMetrics lm(m_lblInItemQT->font());
    const int capW = lm.horizontalAdvance(m_lblInItemQT->text()) + 8,
              numW = lm.horizontalAdvance(QStringLiteral("５０")) + 12;
    const int countY = 6 + buttonH + 6;
    m_lblInItemQT->setGeometry(8, countY, capW, countH);
    m_lblInItemQ->setGeometry(8 + capW + 4, countY, numW, countH);
    m_lblOutItemQT->setGeometry(8 + capW + numW + 16, countY, capW, countH);
    m_lblOutItemQ->setGeometry(8 + 2 * capW + numW + 20, countY, numW, countH);
    y += m_picBG->height() + kMargin;

    // The page and its sum in the middle of the window.
    const int gridX = kMargin + (contentW - gridSize.width()) / 2;
    m_fxgMX->setGeometry(gridX, y, gridSize.width(), gridSize.height());
    y += gridSize.height();
    m_fxgMxT->setGeometry(gridX, y, gridSize.width(), rowPx + 2 * m_fxgMxT->frameWidth());
    y += m_fxgMxT->height() + kMargin;

    const int okW = m_cmdOK->sizeHint().width() + 16, cancelW = m_cmdCancel->sizeHint().width() + 16;
    m_cmdCancel->setGeometry(kMargin + contentW - cancelW, y, cancelW, buttonH + 4);
    m_cmdOK->setGeometry(kMargin + contentW - cancelW - okW - 8, y, okW, buttonH + 4);
    y += buttonH + 4 + kMargin;
    setFixedSize(contentW + 2 * kMargin, y);
    m_fxgMX->show();
    m_fxgMxT->show();
}

void frmBGT::RunModal(BudgetPageEditor& editor) {
    m_editor = &editor;
    m_hiding = false;
    ++m_pagesShown;
    DialogOwner questions(m_dialogs, this);
    exec();
    m_editor = nullptr;
    // The grids show the editor's models, which go away with it.
    dropGrids();
}

void frmBGT::ShowEditBox(int row, int col, const std::string& text, int caret) {
    m_box.Show(m_fxgMX, row, col, qs(text), caret);
}

// The box over its cell again, now that the grid knows its real size.
void frmBGT::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    m_box.Place(m_fxgMX);
    m_box.Focus();
}

void frmBGT::HideEditBox() {
    m_box.Hide(m_fxgMX);
}

void frmBGT::SetEditText(const std::string& text) {
    m_box.SetText(qs(text));
}

void frmBGT::FocusEditBox() {
    m_box.Focus();
}

void frmBGT::FocusOK() {
    m_cmdOK->setFocus();
}

void frmBGT::HideWindow() {
    m_hiding = true;
    done(QDialog::Accepted);
}

std::string frmBGT::editText() const {
    return m_txtEdit->isVisible() ? m_txtEdit->text().toStdString() : std::string();
}

bool frmBGT::altF4() {
    return AltF4CloseHelpOrWindow(this);
}

bool frmBGT::eventFilter(QObject* watched, QEvent* event) {
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
        case WindowKey::Tab:
        case WindowKey::F1:
        case WindowKey::F2:
        case WindowKey::F3:
        case WindowKey::F12:
            m_editor->KeyInEditBox(*key == WindowKey::ShiftEnter ? WindowKey::Enter : *key, editText());
            return true;
        case WindowKey::ShiftTab:
            return true;
        default:
            return false; // typing and the caret keys are the box's
        }
    }
    if (watched == m_cmdOK && (*key == WindowKey::Enter || *key == WindowKey::ShiftEnter)) {
        m_cmdOK->click();
        return true;
    }
    if (watched == this || qobject_cast<QPushButton*>(watched)) {
        m_editor->KeyElsewhere(*key, editText());
        return true;
    }
    return false;
}

void frmBGT::closeEvent(QCloseEvent* e) {
    if (m_hiding || !m_editor) {
        e->accept();
        return;
    }
    e->ignore();
    m_editor->CloseRequested();
}

void frmBGT::reject() {
    if (m_hiding || !m_editor)
        QDialog::reject();
    else
        m_editor->CloseRequested();
}

} // namespace mrt
