#include "ui/main/frmMain.h"

#include "app/AppState.h"
#include "app/LedgerEditor.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/WindowKeeper.h"
#include "ui/grid/GridView.h"
#include "ui/main/ChoiceBox.h"
#include "ui/main/MainMenu.h"
#include "ui/main/WindowHelpers.h"
#include "util/ProgramInfo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>

namespace mrt {
namespace {

constexpr int px(int twips) {
    return TwipsToPixels(twips);
}

QString rgb(int r, int g, int b) {
    return QStringLiteral("rgb(%1,%2,%3)").arg(r).arg(g).arg(b);
}

void setBackground(QWidget* w, const QString& colour, const QString& extra = QString()) {
    w->setAttribute(Qt::WA_StyledBackground, true);
    w->setStyleSheet(QStringLiteral("background-color: %1; %2").arg(colour, extra));
}

// The title picture: the product name drawn on the title panel's colour.
QPixmap titlePixmap(QSize size) {
    QPixmap pm(size);
    pm.fill(QColor(240, 248, 224));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = UiFont(PGothicFace(), 16, true);
    p.setFont(f);
    p.setPen(QColor(80, 80, 80));
    p.drawText(QRect(QPoint(2, 2), size), Qt::AlignCenter, QString::fromUtf8(kProgramName));
    p.setPen(QColor(96, 152, 80));
    p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, QString::fromUtf8(kProgramName));
    return pm;
}

const char* const kMenuTips[5] = {
    "入出金データを集計して表示します",
    "入力した入出金データを印刷します",
    "入出金の入力処理に利用するいろいろなデータを登録します",
    "「データの保管・復帰」「プリンタの設定」",
    "「ミルテ家計簿」を終了します",
};
const MainPicture kMenuPictures[5] = {MainPicture::Totals, MainPicture::Print, MainPicture::Register,
                                      MainPicture::Auxiliary, MainPicture::Exit};
const char* const kMenuKeys[5] = {"F2", "F3", "F4", "F5", "F12"};

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QString::fromUtf8(kMainWindowTitle));
    m_central = new QWidget(this);
    setCentralWidget(m_central);

    m_picBG = new QWidget(m_central);
    m_picHelpFrame = new QWidget(m_central);
    m_lblOnePtHelp = new QLabel(m_picHelpFrame);
    m_lblOnePtHelp->setToolTip(QStringLiteral("現在の作業に対する簡単な説明を表示しています"));
    m_lblOnePtHelp->setWordWrap(true);
    m_lblOnePtHelp->setFont(UiFont(PGothicFace(), 9));
    m_lblOnePtHelp->setFrameShape(QFrame::Panel);
    m_lblOnePtHelp->setFrameShadow(QFrame::Sunken);
    m_cmdSubHelp = new QPushButton(m_picHelpFrame);
    m_cmdSubHelp->setIcon(QIcon(ButtonPicture(4, QSize(24, 24))));
    m_cmdSubHelp->setIconSize(QSize(24, 24));
    m_cmdSubHelp->setToolTip(QStringLiteral("現在の作業とその他の機能に関する詳しい説明を表示します"));
    m_cmdSubHelp->setFocusPolicy(Qt::NoFocus);
    connect(m_cmdSubHelp, &QPushButton::clicked, this, &frmMain::subHelp);

    m_picTool = new QWidget(m_central);
    m_lblToolTitle = new QLabel(QStringLiteral("作　業　ボ　タ　ン"), m_picTool);
    m_lblToolTitle->setToolTip(QStringLiteral("入出金データの入力に関する処理はこれらのﾎﾞﾀﾝを押します"));
    m_lblToolTitle->setAlignment(Qt::AlignCenter);
    const MainPicture toolPictures[2] = {MainPicture::CancelEntry, MainPicture::EditWork};
    const char* toolTips[2] = {"現在のデータ入力・選択をｷｬﾝｾﾙします", "入出金データの入力に関するいろいろな編集処理"};
    for (int i = 0; i < 2; ++i) {
        m_cmdTool[i] = new QPushButton(m_picTool);
        m_cmdTool[i]->setIcon(QIcon(MainButtonPicture(toolPictures[i], QSize(40, 30))));
        m_cmdTool[i]->setIconSize(QSize(40, 30));
        m_cmdTool[i]->setToolTip(QString::fromUtf8(toolTips[i]) + (i == 1 ? QStringLiteral(" [F11]") : QString()));
        m_cmdTool[i]->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_cmdTool[0], &QPushButton::clicked, this, [this] {
        if (m_actions) m_actions->CancelEntry();
    });
    connect(m_cmdTool[1], &QPushButton::clicked, this, [this] {
        if (m_actions) m_actions->EditWorkMenu();
    });

    m_picGrid = new QWidget(m_central);
    m_picGrid->setToolTip(QStringLiteral("ここに必要なデータを入力します"));
    m_fxgMX = new GridView(m_picGrid);
    m_txtEdit = new QLineEdit(m_fxgMX->viewport());
    m_txtEdit->setFrame(false);
    m_txtEdit->hide();

    m_picIO = new QWidget(m_central);
    m_lblIO = new QLabel(QStringLiteral("出金"), m_picIO);
    m_lblIO->setAlignment(Qt::AlignCenter);
    m_cmdITEM = new QPushButton(QStringLiteral("出金"), m_picIO);
    m_cmdITEM->setFocusPolicy(Qt::NoFocus);
    m_cmdITEM->setToolTip(QStringLiteral("入出金切り替えはこのﾎﾞﾀﾝをｸﾘｯｸするか[Tab]ｷｰを押します"));
    for (int k = 0; k < 2; ++k) {
        m_lstITEM[k] = new QListWidget(m_picIO);
        m_lstITEM[k]->setFont(UiFont(GothicFace(), 9));
        m_lstITEM[k]->setToolTip(QStringLiteral("こちらの一覧から選択したい場合は「入出金切替」をします"));
    }
    m_picIO->hide();
    const QString comboTip = QStringLiteral("この一覧の中から選択します（ｷｰﾎﾞｰﾄﾞからの入力も可）");
    for (int k = 0; k < 2; ++k)
        m_cboITEM[k] = new ChoiceBox(m_central);
    m_cboBrkDn = new ChoiceBox(m_central);
    m_cboShop = new ChoiceBox(m_central);
    for (ChoiceBox* c : {m_cboITEM[0], m_cboITEM[1], m_cboBrkDn, m_cboShop})
        c->setFont(UiFont(GothicFace(), 9));
    for (ChoiceBox* c : {m_cboBrkDn, m_cboShop})
        c->field()->setToolTip(comboTip);

    m_picICON = new QLabel(m_central);
    m_picICON->setPixmap(MainButtonPicture(MainPicture::Register, QSize(44, 40)));
    m_picICON->setAlignment(Qt::AlignCenter);
    m_picTitle = new QLabel(m_central);
    m_picTitle->setToolTip(QStringLiteral("毎日の入出金を記帳して、残高・集計・予算を管理する家計簿です"));

    m_picMENU = new QWidget(m_central);
    m_lblMenuTitle = new QLabel(QStringLiteral("Ｍ　Ｅ　Ｎ　Ｕ　ボ　タ　ン"), m_picMENU);
    m_lblMenuTitle->setToolTip(QStringLiteral("入出金データの入力以外のいろいろな作業を選択します"));
    m_lblMenuTitle->setAlignment(Qt::AlignCenter);
    for (int i = 0; i < 5; ++i) {
        m_cmdMenu[i] = new QPushButton(m_picMENU);
        m_cmdMenu[i]->setIcon(QIcon(MainButtonPicture(kMenuPictures[i], QSize(40, 30))));
        m_cmdMenu[i]->setIconSize(QSize(40, 30));
        m_cmdMenu[i]->setToolTip(QString::fromUtf8(kMenuTips[i]) + QStringLiteral(" [") +
                                 QString::fromUtf8(kMenuKeys[i]) + QStringLiteral("]"));
        m_cmdMenu[i]->setFocusPolicy(Qt::NoFocus);
        connect(m_cmdMenu[i], &QPushButton::clicked, this, [this, i] { PressMenuButton(i); });
    }

    auto caption = [this](const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), m_central);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    m_lblRegDateT = caption(" 登録データ ");
    m_lblRegDate = new QLabel(m_central);
    m_lblDspDateT = caption(" 表示データ ");
    m_lblDspDate = new QLabel(m_central);
    m_lblDateT = caption(" 日付 ");
    m_lblDate = new QLabel(m_central);

    qApp->installEventFilter(this);
    MenuInit();
    FormColSet();
}

frmMain::~frmMain() {
    qApp->removeEventFilter(this);
}

QAction* frmMain::menuAction(Command command) const {
    for (const auto& [c, a] : m_menuActions)
        if (c == command) return a;
    return nullptr;
}

void frmMain::MenuInit() {
    menuBar()->clear();
    m_menuActions.clear();
    QMenu* current = nullptr;
    for (const MainMenuEntry& e : MainMenuEntries()) {
        QString text = QString::fromUtf8(e.caption);
        if (e.kind == MainMenuEntry::Menu) {
            current = menuBar()->addMenu(text + QStringLiteral("(&") + QChar::fromLatin1(e.accessKey) + QStringLiteral(")"));
            continue;
        }
        if (e.kind == MainMenuEntry::Separator) {
            current->addSeparator();
            continue;
        }
        QAction* a =
            current->addAction(text + QStringLiteral("(&") + QChar::fromLatin1(e.accessKey) + QStringLiteral(")"));
        if (*e.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
        a->setShortcutContext(Qt::WindowShortcut);
        const Command command = e.command;
        connect(a, &QAction::triggered, this, [this, command] { menuItem(command); });
        m_menuActions.emplace_back(command, a);
    }
}

void frmMain::FormColSet() {
    setBackground(m_central, rgb(184, 202, 184));
    m_txtEdit->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid black;").arg(rgb(255, 255, 144)));
    m_lstITEM[0]->setStyleSheet(QStringLiteral("background-color: %1;").arg(rgb(255, 255, 221)));
    m_lstITEM[1]->setStyleSheet(QStringLiteral("background-color: %1;").arg(rgb(221, 255, 221)));
    setBackground(m_cmdITEM, rgb(200, 218, 200));
    m_cboITEM[0]->SetColour(QColor(255, 255, 221));
    m_cboITEM[1]->SetColour(QColor(221, 255, 221));
    m_cboBrkDn->SetColour(QColor(221, 255, 255));
    m_cboShop->SetColour(QColor(221, 255, 255));
    GridModel& g = m_fxgMX->model();
    g.SetBackColor(Rgb(255, 255, 248));
    g.SetBackColorFixed(Rgb(176, 224, 255));
    g.SetForeColorFixed(Rgb(128, 128, 128));
    g.SetBackColorSel(Rgb(224, 112, 160));
    const QString capStyle = QStringLiteral("background-color: %1; color: %2;").arg(rgb(0, 80, 16), rgb(192, 202, 192));
    for (QLabel* l : {m_lblRegDateT, m_lblDspDateT, m_lblDateT})
        l->setStyleSheet(capStyle);
    for (QLabel* l : {m_lblRegDate, m_lblDspDate, m_lblDate})
        l->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(rgb(0, 80, 16)));
    setBackground(m_picTitle, rgb(240, 248, 224));
    setBackground(m_picICON, rgb(240, 248, 224));
    setBackground(m_picBG, rgb(240, 248, 224));
    setBackground(m_lblOnePtHelp, rgb(255, 255, 232));
    setBackground(m_picHelpFrame, rgb(176, 208, 192));
    setBackground(m_cmdSubHelp, rgb(112, 208, 192));
    for (QWidget* w : {m_picTool, m_picMENU})
        setBackground(w, rgb(176, 208, 192));
    for (QLabel* l : {m_lblToolTitle, m_lblMenuTitle})
        l->setFont(UiFont(PGothicFace(), 8));
}

void frmMain::FormSet(int flag) {
    m_layoutRunning = true;
    for (QWidget* w : std::initializer_list<QWidget*>{m_cmdITEM, m_lstITEM[0], m_lstITEM[1], m_picIO})
        w->hide();
    for (ChoiceBox* c : {m_cboITEM[0], m_cboITEM[1], m_cboBrkDn, m_cboShop})
        c->Close();
    const int margin = px(30);
    const QSize gridSize = m_fxgMX->minimumSize().isEmpty() ? m_fxgMX->sizeHint() : m_fxgMX->size();
    const int gridW = gridSize.width();

    if (flag == 0) {
        // The help label is at least 40 "漢" wide and wide enough for the longest line of any
        // column's help, two lines high (the frame takes a few pixels on each side).
        QFontMetrics fm(m_lblOnePtHelp->font());
        const int kanW = fm.horizontalAdvance(QStringLiteral("漢"));
        const int kanH = fm.height();
        int helpW = 40 * kanW;
        for (const std::string& text : OnePointHelpTexts())
            for (const QString& line : QString::fromStdString(text).split(QLatin1Char('\n')))
                helpW = std::max(helpW, fm.horizontalAdvance(line) + 2 * m_lblOnePtHelp->frameWidth() + 6);
        m_lblOnePtHelp->setGeometry(margin, margin, helpW, 2 * kanH + 2 * m_lblOnePtHelp->frameWidth() + 4);
        m_cmdSubHelp->setGeometry(m_lblOnePtHelp->geometry().right() + margin, margin, 2 * kanH + 4, 2 * kanH + 4);
        m_picHelpFrame->resize(m_cmdSubHelp->geometry().right() + margin + 1, 2 * kanH + 4 + 2 * margin);
        // Buttons hold 40 × 30 pictures; the panel titles are one line of their font high.
        const int btnW = 52, btnH = 40;
        const int titleH = QFontMetrics(m_lblToolTitle->font()).height() + 2;
        m_lblToolTitle->setGeometry(margin, margin, 2 * btnW + margin, titleH);
        for (int i = 0; i < 2; ++i)
            m_cmdTool[i]->setGeometry(margin + i * (btnW + margin), margin + titleH + 2, btnW, btnH);
        m_picTool->resize(2 * btnW + 3 * margin, btnH + titleH + 2 + 2 * margin);
        m_lblMenuTitle->setGeometry(margin, margin, 5 * btnW + 4 * margin, titleH);
        for (int i = 0; i < 5; ++i)
            m_cmdMenu[i]->setGeometry(margin + i * (btnW + margin), margin + titleH + 2, btnW, btnH);
        m_picMENU->resize(5 * btnW + 6 * margin, btnH + titleH + 2 + 2 * margin);
        m_fxgMX->setGeometry(0, 0, gridSize.width(), gridSize.height());
        m_picGrid->resize(gridSize);
        m_picICON->resize(m_picMENU->height(), m_picMENU->height());
    }
    // Each date label is as wide as the longest text it shows; the three pairs start at the grid's
    // left edge, and the window is widened when they need more than the grid's width.
    const QFontMetrics dm(m_lblRegDate->font());
    const int capW = QFontMetrics(m_lblRegDateT->font()).horizontalAdvance(m_lblRegDateT->text()) + 8, gap = 8;
    const int valW = dm.horizontalAdvance(QStringLiteral("2026年12月31日～2026年12月31日")) + 6;
    const int todayW = dm.horizontalAdvance(QStringLiteral("2026年 12月 31日")) + 6;
    const int labelsW = 3 * (capW + 4) + 2 * valW + todayW + 2 * gap;
    // The top band is as wide as the grid unless the help strip and the tool buttons need more.
    const int topW = std::max(gridW, m_picHelpFrame->width() + px(100) + m_picTool->width());
    const int contentW = std::max(topW, labelsW);
    const int normalW = std::max(topW + px(1200), labelsW + px(600));
    const int winW = std::max(width(), normalW);
    const int left = (winW - contentW) / 2;
    // Top band: help strip on the left, tool buttons right-aligned with the band and bottom-aligned
    // with the help strip (the taller of the two decides where the band starts).
    const int bandH = std::max(m_picHelpFrame->height(), m_picTool->height());
    int y = px(150);
    m_picHelpFrame->move(left, y + bandH - m_picHelpFrame->height());
    m_picTool->move(left + topW - m_picTool->width(), y + bandH - m_picTool->height());
    y += bandH + px(100);
    m_picGrid->move(left, y);
    y += m_picGrid->height() + px(100);
    // Bottom band: icon, title, and the menu buttons right-aligned with the grid.
    m_picICON->move(left, y);
    const int titleW = gridW - m_picICON->width() - m_picMENU->width() - 2 * px(100);
    m_picTitle->setGeometry(m_picICON->geometry().right() + px(100) + 1, y, std::max(titleW, 120), m_picMENU->height());
    m_picTitle->setPixmap(titlePixmap(m_picTitle->size()));
    m_picMENU->move(left + gridW - m_picMENU->width(), y);
    y += m_picMENU->height() + px(100);
    // Date labels under the bands, one line of the taller of their two fonts high.
    const int labH = std::max(dm.height(), QFontMetrics(m_lblRegDateT->font()).height()) + 4;
    int x = left;
    for (auto [cap, val, w] :
         {std::tuple{m_lblRegDateT, m_lblRegDate, valW}, std::tuple{m_lblDspDateT, m_lblDspDate, valW},
          std::tuple{m_lblDateT, m_lblDate, todayW}}) {
        cap->setGeometry(x, y, capW, labH);
        val->setGeometry(x + capW + 4, y, w, labH);
        x += capW + 4 + w + gap;
    }
    y += labH + px(250) / 2;
    if (flag == 0 && !isMaximized()) {
        const int winH = y + menuBar()->sizeHint().height();
        resize(normalW, winH);
        if (!m_placed)
            Centre();
        else
            PlaceAt(pos()); // a window grown by the new layout stays on its screen
    }
    MenuBG();
    m_layoutRunning = false;
}

void frmMain::Centre() {
    const QRect a = AvailableArea(this);
    const QSize f = size().grownBy(FrameMargins(this));
    PlaceAt(QPoint(a.x() + (a.width() - f.width()) / 2, a.y() + (a.height() - f.height()) / 2 - px(100)));
}

void frmMain::PlaceAt(QPoint topLeft) {
    move(topLeft);
    KeepOnScreen(this);
    m_placed = true;
}

void frmMain::MenuBG() {
    if (isMinimized()) return;
    // The light backdrop behind the three bands; the date labels stay below it on the window colour.
    const int bottom = m_lblRegDateT->geometry().top() - px(50);
    m_picBG->setGeometry(0, 0, m_central->width() - px(100), std::max(bottom, 0));
    m_picBG->lower();
    m_picBG->show();
}

void frmMain::ToolBtnOnOff(bool on, int index) {
    for (int i = 0; i < 2; ++i)
        if (index < 0 || index == i) m_cmdTool[i]->setEnabled(on);
}

void frmMain::MenuBtnOnOff(bool on, int index) {
    for (int i = 0; i < 5; ++i)
        if (index < 0 || index == i) m_cmdMenu[i]->setEnabled(on);
}

void frmMain::SetDateLabels(const QString& registered, const QString& shown, const QString& today) {
    m_lblRegDate->setText(registered);
    m_lblDspDate->setText(shown);
    m_lblDate->setText(today);
}

void frmMain::SetOnePointHelp(const QString& text) {
    m_lblOnePtHelp->setText(text);
}

void frmMain::SetFixedStyleFlat(bool flat) {
    m_flat = flat;
    m_fxgMX->model().SetTextStyleFixed(flat ? GridFixedStyle::Flat : GridFixedStyle::InsetLight);
}

void frmMain::CloseForReal() {
    m_closingForReal = true;
    close();
}

void frmMain::closeEvent(QCloseEvent* e) {
    if (m_closingForReal) {
        if (m_actions) m_actions->CloseAllHelp();
        e->accept();
        return;
    }
    // The close box counts as the exit button, with its question.
    e->ignore();
    PressMenuButton(4);
}

void frmMain::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && !m_layoutRunning) {
        if (!m_firstResizeSeen) {
            m_firstResizeSeen = true;
            m_lastState = windowState();
            return;
        }
        if (windowState() != m_lastState) {
            m_lastState = windowState();
            FormSet(1);
        }
    }
}

void frmMain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (!m_layoutRunning) {
        FormSet(1);
    }
}

} // namespace mrt
