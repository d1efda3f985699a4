#include "ui/main/QtMainScreen.h"

#include "app/AppState.h"
#include "app/EditingPeriod.h"
#include "app/LedgerEditor.h"
#include "app/WorkLists.h"
#include "port/Dialogs.h"
#include "ui/dialogs/Desktop.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/dialogs/QtText.h"
#include "ui/dialogs/WindowKeeper.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/grid/GridView.h"
#include "ui/help/HelpWindow.h"
#include "ui/main/ChoiceBox.h"
#include "util/Clock.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

namespace mrt {
namespace {

// The fewest ledger rows the window shows on a screen too low for the rows set.
constexpr int kFewestRows = 5;

// Maps a Qt key to the editor's keys; false for keys the editor does not take.
bool toEditorKey(const QKeyEvent* ke, Key& key) {
    const bool shift = ke->modifiers() & Qt::ShiftModifier;
    switch (ke->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key = shift ? Key::ShiftEnter : Key::Enter;
        return true;
    case Qt::Key_Backtab:
        key = Key::ShiftTab;
        return true;
    case Qt::Key_Tab:
        key = shift ? Key::ShiftTab : Key::Tab;
        return true;
    case Qt::Key_Escape:
        key = Key::Esc;
        return true;
    case Qt::Key_Left:
        key = Key::Left;
        return true;
    case Qt::Key_Right:
        key = Key::Right;
        return true;
    case Qt::Key_Up:
        key = Key::Up;
        return true;
    case Qt::Key_Down:
        key = Key::Down;
        return true;
    case Qt::Key_PageUp:
        key = Key::PageUp;
        return true;
    case Qt::Key_PageDown:
        key = Key::PageDown;
        return true;
    case Qt::Key_Home:
        key = Key::Home;
        return true;
    case Qt::Key_End:
        key = Key::End;
        return true;
    case Qt::Key_Insert:
        key = Key::Insert;
        return true;
    case Qt::Key_Delete:
        key = Key::Delete;
        return true;
    case Qt::Key_Backspace:
        key = Key::Backspace;
        return true;
    case Qt::Key_F11:
        key = Key::F11;
        return true;
    default:
        break;
    }
    if (!ke->text().isEmpty() && ke->text().at(0).isPrint() &&
        !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        key = Key::Char;
        return true;
    }
    return false;
}

} // namespace

QtMainScreen::QtMainScreen(Dialogs& dlg) : m_dlg(dlg) {}

QtMainScreen::~QtMainScreen() {
    m_editor.reset();
    if (m_win) m_win->CloseForReal();
}

void QtMainScreen::SplashOn() {
    if (!m_splash) m_splash = std::make_unique<frmSplash>();
    m_splash->SplashOn(QString::fromUtf8(kProgramName), QString::fromUtf8(kProgramShortName),
                       QString::fromUtf8(kVersionText), QString::fromUtf8(kProviderLine), 0);
}

void QtMainScreen::SplashOff() {
    if (m_splash) m_splash->SplashOff();
}

void QtMainScreen::buildWindow() {
    m_win = std::make_unique<frmMain>();
    m_win->SetActions(this);
    // Questions asked while the window is up are placed against it, not the screen.
    if (auto* qt = dynamic_cast<QtDialogs*>(&m_dlg)) qt->SetOwner(m_win.get());
    GridView* g = m_win->grid();
    QLineEdit* edit = m_win->editBox();
    edit->installEventFilter(this);
    for (ChoiceBox* c : {m_win->itemBox(0), m_win->itemBox(1), m_win->breakdownBox(), m_win->shopBox()}) {
        connect(c, &ChoiceBox::KeyEnter, this, [this] {
            if (m_editor) m_editor->KeyInChoiceBox(Key::Enter);
        });
        connect(c, &ChoiceBox::KeyEsc, this, [this] {
            if (m_editor) m_editor->KeyInChoiceBox(Key::Esc);
        });
        connect(c, &ChoiceBox::KeyTab, this, [this] {
            if (m_editor) m_editor->KeyInChoiceBox(Key::Tab);
        });
        connect(c, &ChoiceBox::EntryDoubleClicked, this, [this](int index) {
            if (m_editor) m_editor->ChoiceChosen(index);
        });
    }
    connect(m_win->itemSwitchButton(), &QPushButton::clicked, this, [this] {
        if (m_editor) m_editor->ItemSwitchClicked();
    });
    connect(g, &GridView::KeyDown, this, [this](int key, Qt::KeyboardModifiers mods, bool* consumed) {
        if (!m_editor) return;
        QKeyEvent ke(QEvent::KeyPress, key, mods);
        Key k;
        if (ke.key() != Qt::Key_unknown && toEditorKey(&ke, k) && k != Key::Char && k != Key::Tab &&
            k != Key::ShiftTab) {
            m_editor->KeyOnGrid(k);
            *consumed = true;
        }
    });
    connect(g, &GridView::KeyPress, this, [this](int code, const QString& text, bool* consumed) {
        if (!m_editor || text.isEmpty()) return;
        if (code == 13 || code == 27 || code == 8 || code == 9) return;
        m_editor->KeyOnGrid(Key::Char, utf8(text));
        *consumed = true;
    });
    connect(g, &GridView::MouseDown, this, [this, g](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        int row, col;
        if (m_editor && g->CellAt(QPoint(x, y), row, col)) m_editor->CellClicked(row, col);
    });
    connect(g, &GridView::DblClick, this, [this, g] {
        if (m_editor) m_editor->CellDoubleClicked(g->model().Row(), g->model().Col());
    });
    connect(g, &GridView::Scroll, this, [this, g] {
        if (m_editor && !m_editor->NonScrlF() && m_inEditing) m_editor->Scrolled(g->model().TopRow());
    });
}

void QtMainScreen::SetUpMainWindow(AppState& app) {
    m_app = &app;
    if (!m_win) buildWindow();
    frmMain* w = m_win.get();
    GridView* g = w->grid();
    m_editor = std::make_unique<LedgerEditor>(app, g->model(), m_dlg, *this);
    const bool rebuilt = !w->Placed();
    // Column widths and row heights are measured in the grid's face at 12 points, larger than the 9
    // points it draws in, so every cell leaves room around its text.
    QFont measureFont = UiFont(GothicFace(), 12);
    QFontMetrics fm(measureFont);
    TextMeasure measure = [fm](const std::string& text) {
        QString t = QString::fromStdString(text);
        return TextSize{PixelsToTwips(fm.horizontalAdvance(t)), PixelsToTwips(fm.height())};
    };
    w->editBox()->setFont(g->GridFont());
    w->setWindowTitle(QString::fromUtf8(kMainWindowTitle));
    w->FormColSet();
    const int wanted = app.settings.DisplayRows;
    const int rows = layOutRows(measure, wanted);
    // A rebuilt window of the same size comes back where the user had it; one of another size
    // (the rows or the block changed) is centred again.
    if (rebuilt && m_lastPlace && w->size() == m_lastSize)
        w->PlaceAt(*m_lastPlace);
    else if (rows < wanted)
        w->Centre();
    w->SetFixedStyleFlat(true);
    if (m_pendingState == 2)
        w->showMaximized();
    else if (m_pendingState == 1)
        w->showMinimized();
    else
        w->show();
    QApplication::processEvents();
    if (rows < wanted && rows != m_rowsAnnounced) {
        m_rowsAnnounced = rows;
        m_dlg.MsgOK("家計簿データ入力画面の表示行数（" + std::to_string(wanted) + " 行）は画面に収まらないため、" +
                        std::to_string(rows) + " 行で表示します。\r\n環境設定の表示行数は変わりません。",
                    "表示行数");
    }
}

int QtMainScreen::layOutRows(const TextMeasure& measure, int rows) {
    frmMain* w = m_win.get();
    GridView* g = w->grid();
    const QMargins frame = FrameMargins(w);
    const int room = AvailableArea(w).height() - frame.top() - frame.bottom();
    for (;;) {
        const LedgerGridGeometry geo = m_editor->SetUpGrid(measure, rows);
        g->setFixedSize(TwipsToPixels(geo.width) + 2, TwipsToPixels(geo.height) + 2);
        w->FormSet(0);
        // The window with its frame must fit the screen's height: fewer rows when it does not.
        const int over = w->height() - room;
        if (over <= 0 || rows <= kFewestRows || room <= 0) return rows;
        const int rowHeight = std::max(1, TwipsToPixels(geo.textHeight * 6 / 5));
        rows = std::max(kFewestRows, rows - (over + rowHeight - 1) / rowHeight);
    }
}

bool QtMainScreen::FixedStyleFlat() const {
    return m_win && m_win->FixedStyleFlat();
}

void QtMainScreen::SetFixedStyleFlat(bool flat) {
    if (m_win) m_win->SetFixedStyleFlat(flat);
}

int QtMainScreen::RunLedgerEditing(AppState& app) {
    if (BeginEditingPeriod(app, m_dlg) != 0) return -1;
    frmMain* w = m_win.get();
    const CivilDate t = AppClock().Today();
    w->SetDateLabels(w->registeredDateLabel()->text(), w->shownDateLabel()->text(),
                     QStringLiteral("%1年 %2月 %3日")
                         .arg(t.year, 4, 10, QLatin1Char('0'))
                         .arg(t.month, 2, 10, QLatin1Char('0'))
                         .arg(t.day, 2, 10, QLatin1Char('0')));
    w->MenuSel = Command::None;
    m_inEditing = true;
    QEventLoop loop;
    connect(w, &frmMain::CommandChosen, &loop, &QEventLoop::quit);
    m_editor->Start();
    // A command may already have been chosen while Start let pending events run; once the program
    // is to end, the period ends at once as the exit command ends it.
    if (m_endRequested && w->MenuSel == Command::None) w->MenuSel = Command::Exit;
    if (w->MenuSel == Command::None) loop.exec();
    m_inEditing = false;
    app.MenuSel = w->MenuSel;
    m_editor->End();
    QApplication::beep();
    int r = EndEditingPeriod(app, m_dlg);
    w->MenuSel = Command::None;
    return r;
}

void QtMainScreen::EndNow(AppState& app) {
    app.EndRequested = true;
    m_endRequested = true;
    if (auto* qt = dynamic_cast<QtDialogs*>(&m_dlg)) qt->SetQuiet();
    // Every dialog open now returns its cancel answer; the code that asked goes on from there.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<QDialog*>(w);
        if (d && d->isVisible()) d->reject();
    }
    if (m_inEditing && m_win && m_win->MenuSel == Command::None) {
        m_win->MenuSel = Command::Exit;
        emit m_win->CommandChosen();
    }
}

int QtMainScreen::WindowState() const {
    if (!m_win) return m_pendingState < 0 ? 0 : m_pendingState;
    if (m_win->isMinimized()) return 1;
    if (m_win->isMaximized()) return 2;
    return 0;
}

void QtMainScreen::SetWindowState(int state) {
    m_pendingState = state;
}

void QtMainScreen::Unload() {
    m_editor.reset();
    if (m_win) {
        if (m_win->Placed() && m_win->isVisible() && !m_win->isMinimized() && !m_win->isMaximized()) {
            m_lastPlace = m_win->pos();
            m_lastSize = m_win->size();
        }
        m_win->CloseForReal();
        m_win.reset();
    }
}

// ---- MainActions ----

int QtMainScreen::PreSortCheck() {
    return m_editor ? m_editor->PreSortCheck() : 0;
}

int QtMainScreen::ExitCheck(bool ask) {
    FocusKeep(1);
    m_win->ToolBtnOnOff(false, -1);
    m_win->MenuBtnOnOff(false, -1);
    m_win->MenuBtnOnOff(true, 4);
    int answer = 0;
    if (m_editor)
        answer = m_editor->ExitQuestion(ask);
    else if (ask)
        answer = m_dlg.MsgYesNo2("家計簿プログラムを終了します。\r\nよろしいですか？", "終了", 0) == 0 ? 0 : 1;
    if (answer != 0) {
        m_win->ToolBtnOnOff(true, -1);
        m_win->MenuBtnOnOff(true, -1);
        FocusKeep(2);
    }
    return answer;
}

void QtMainScreen::FocusKeep(int mode) {
    if (m_editor) m_editor->FocusKeep(mode);
}

void QtMainScreen::ForcedSave() {
    if (m_editor) m_editor->ForcedSaveNow(true);
}

void QtMainScreen::EditCommand(Command command) {
    if (m_editor) m_editor->RunCommand(command);
}

void QtMainScreen::EditWorkMenu() {
    if (!m_editor) return;
    m_win->MenuBtnOnOff(false, -1);
    m_win->ToolBtnOnOff(false, 0);
    m_editor->EditWorkSelect();
    m_win->ToolBtnOnOff(true, 0);
    m_win->MenuBtnOnOff(true, -1);
}

void QtMainScreen::CancelEntry() {
    if (m_editor) m_editor->CancelEntry();
}

int QtMainScreen::HelpTopic() const {
    return m_editor ? m_editor->HelpTopic() : 100;
}

bool QtMainScreen::TabInItemBox() {
    if (!m_editor || !m_editor->ItemBoxOpen()) return false;
    m_editor->KeyInChoiceBox(Key::Tab);
    return true;
}

Command QtMainScreen::ChooseRegistration() {
    return WorkCommand(RegistrationWorkList(), ChooseRegistrationWork(m_dlg));
}

Command QtMainScreen::ChooseAuxiliary() { return WorkCommand(AuxiliaryWorkList(), ChooseAuxiliaryWork(m_dlg)); }

void QtMainScreen::Beep() {
    m_dlg.Beep();
}

void QtMainScreen::ShowHelp(int topic) {
    m_dlg.ShowHelpTopic(HelpFile::Main, topic);
}

bool QtMainScreen::HelpOpen() const {
    return AppHelp().HelpShown();
}

void QtMainScreen::CloseAllHelp() {
    m_dlg.CloseAllHelp();
}

void QtMainScreen::ReturnFocus() {
    if (m_editor) Focus(m_editor->CurrentInput());
}

// ---- EditorView ----

void QtMainScreen::ShowEditBox(int row, int col, ImeMode ime, int maxBytes) {
    QLineEdit* e = m_win->editBox();
    GridView* g = m_win->grid();
    QRect r = g->CellRect(row, col);
    e->setParent(g);
    e->setGeometry(r);
    e->setMaxLength(std::max(maxBytes, 1) * 2);
    // Qt can only let an input method compose in the box or keep it away, not switch its
    // conversion on, so Keep (editing started by a typed character) follows the column as well:
    // a date or amount cell never reaches the input method, whatever cell the box was over before.
    const bool japanese = ime == ImeMode::On || (ime == ImeMode::Keep && LedgerColumnOf(col).imeOn);
    if (japanese)
        SetJapaneseInput(e);
    else
        SetDirectInput(e);
    e->show();
    e->raise();
    e->setFocus();
}

void QtMainScreen::HideEditBox() {
    m_win->editBox()->hide();
}

void QtMainScreen::SetEditText(const std::string& text, int caret, int selLength) {
    QLineEdit* e = m_win->editBox();
    QString t = qs(text);
    if (e->text() != t) e->setText(t);
    // Positions count code points; QLineEdit counts UTF-16 units.
    auto unitsOf = [&t](int codePoints) {
        int units = 0;
        for (int cp = 0; cp < codePoints && units < t.size(); ++cp)
            units += t.at(units).isHighSurrogate() ? 2 : 1;
        return units;
    };
    const int start = unitsOf(caret);
    if (selLength > 0)
        e->setSelection(start, unitsOf(caret + selLength) - start);
    else
        e->setCursorPosition(start);
}

bool QtMainScreen::ReadEditBox(std::string& text, int& caret) const {
    if (!m_win) return false;
    QLineEdit* e = m_win->editBox();
    if (!e->isVisible()) return false;
    text = utf8(e->text());
    caret = static_cast<int>(e->text().left(e->cursorPosition()).toUcs4().size());
    return true;
}

ChoiceBox* QtMainScreen::boxFor(InputCtrl box) const {
    switch (box) {
    case InputCtrl::IncomeItems:
        return m_win->itemBox(0);
    case InputCtrl::ExpenseItems:
        return m_win->itemBox(1);
    case InputCtrl::Breakdown:
        return m_win->breakdownBox();
    case InputCtrl::Shop:
        return m_win->shopBox();
    default:
        return nullptr;
    }
}

void QtMainScreen::ShowChoiceBox(InputCtrl box, int row, int col, const std::vector<std::string>& entries, int selected,
                                 const std::string& text) {
    ChoiceBox* c = boxFor(box);
    if (!c) return;
    for (InputCtrl other : {InputCtrl::IncomeItems, InputCtrl::ExpenseItems, InputCtrl::Breakdown, InputCtrl::Shop})
        if (other != box) boxFor(other)->Close();
    m_openBox = box;
    QStringList list;
    for (const std::string& e : entries)
        list << qs(e);
    GridView* g = m_win->grid();
    QRect r = g->CellRect(row, col);
    QPoint p = g->mapTo(m_win->centralWidget(), r.topLeft());
    const int rows = DropDownFits(row, 12) ? 12 : 6;
    c->Open(list, selected, qs(text), QRect(p, QSize(std::max(r.width(), 80), r.height() + 2)), rows);
}

void QtMainScreen::ReadChoiceBox(int& selected, std::string& text) const {
    ChoiceBox* c = boxFor(m_openBox);
    if (!c) {
        selected = -1;
        text.clear();
        return;
    }
    selected = c->Selected();
    text = utf8(c->Text());
}

void QtMainScreen::ShowItemSwitch(int kind, const std::vector<std::string>& otherKindList) {
    QPushButton* b = m_win->itemSwitchButton();
    QWidget* panel = m_win->itemPanel();
    QWidget* c = m_win->itemBox(kind)->field();
    b->setText(kind == 0 ? QStringLiteral("←\n入金") : QStringLiteral("←\n出金"));
    QListWidget* other = m_win->itemList(1 - kind);
    other->clear();
    for (const std::string& e : otherKindList)
        other->addItem(qs(e));
    const QRect cr = c->geometry();
    // Without the reference list the panel is only the button, so the cells beside and below the
    // box stay visible.
    const bool withList = !otherKindList.empty();
    const int listW = withList ? cr.width() : 0;
    const int buttonW = 40, buttonH = 40, listH = 180;
    panel->setGeometry(cr.right() + 2, cr.y(), withList ? buttonW + 4 + listW : buttonW, withList ? listH : buttonH);
    b->setGeometry(0, 0, buttonW, buttonH);
    other->setGeometry(buttonW + 4, 0, listW, listH);
    other->setVisible(!otherKindList.empty());
    m_win->itemBoxLabel()->hide();
    b->show();
    panel->show();
    panel->raise();
}

void QtMainScreen::HideChoiceBoxes() {
    for (InputCtrl box : {InputCtrl::IncomeItems, InputCtrl::ExpenseItems, InputCtrl::Breakdown, InputCtrl::Shop})
        boxFor(box)->Close();
    m_win->itemPanel()->hide();
    m_openBox = InputCtrl::Grid;
}

bool QtMainScreen::DropDownFits(int row, int dropRows) const {
    GridView* g = m_win->grid();
    QRect r = g->CellRect(row, 1);
    QPoint bottom = g->mapTo(m_win.get(), r.bottomLeft());
    return bottom.y() + dropRows * r.height() < m_win->height();
}

void QtMainScreen::SetOnePointHelp(const std::string& text) {
    m_win->SetOnePointHelp(qs(text));
}

void QtMainScreen::RefreshDateLabels(const std::string& registered, const std::string& displayed) {
    m_win->registeredDateLabel()->setText(qs(registered));
    m_win->shownDateLabel()->setText(qs(displayed));
}

void QtMainScreen::Focus(InputCtrl ctrl) {
    switch (ctrl) {
    case InputCtrl::Grid:
        m_win->grid()->setFocus();
        return;
    case InputCtrl::EditBox:
        m_win->editBox()->setFocus();
        return;
    default:
        if (ChoiceBox* c = boxFor(ctrl)) c->field()->setFocus();
        return;
    }
}

void QtMainScreen::SetButtonsEnabled(bool on) {
    m_win->ToolBtnOnOff(on, -1);
    m_win->MenuBtnOnOff(on, -1);
}

void QtMainScreen::SetEditBoxWhite(bool white) {
    m_win->editBox()->setStyleSheet(
        white ? QStringLiteral("background-color: white; border: 1px solid black;")
              : QStringLiteral("background-color: rgb(255,255,144); border: 1px solid black;"));
}

void QtMainScreen::ProcessEvents() {
    QApplication::processEvents();
}

// ---- keys of the edit box and the choice boxes ----

bool QtMainScreen::editBoxKey(QKeyEvent* ke) {
    Key k;
    if (!toEditorKey(ke, k)) return false;
    if (k == Key::Tab || k == Key::ShiftTab) return false;
    std::string text;
    int caret = 0;
    ReadEditBox(text, caret);
    // The editor's copy stays current (with its selection) unless the box changed on its own,
    // as an input-method commit does.
    if (text == m_editor->EditText()) caret = -1;
    return m_editor->KeyInEditBox(k, k == Key::Char ? utf8(ke->text()) : std::string(), caret, text);
}

bool QtMainScreen::eventFilter(QObject* obj, QEvent* e) {
    if (!m_editor || !m_win || e->type() != QEvent::KeyPress) return QObject::eventFilter(obj, e);
    auto* ke = static_cast<QKeyEvent*>(e);
    const int key = ke->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return false; // the window's own keys
    if (obj == m_win->editBox()) return editBoxKey(ke);
    return QObject::eventFilter(obj, e);
}

} // namespace mrt
