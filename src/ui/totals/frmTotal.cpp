#include "ui/totals/frmTotal.h"

#include "settings/IniRecord.h"
#include "totals/TotalsCsv.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/dialogs/QtText.h"
#include "ui/grid/GridView.h"
#include "ui/help/HelpWindow.h"
#include "ui/main/WindowHelpers.h"
#include "ui/totals/TotalsPictures.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>

namespace mrt {

namespace {

QString css(GridColor c) {
    return ToQColor(c).name();
}

constexpr int kButton = 40; // 600 twips
constexpr int kButtonHeight = 36;
constexpr int kGap = 3; // 50 twips between the grids
constexpr int kMargin = 8;

QPushButton* pictureButton(QWidget* parent, const QPixmap& picture, const QString& tip) {
    auto* b = new QPushButton(parent);
    b->setIcon(QIcon(picture));
    b->setIconSize(QSize(28, 24));
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(kButton, kButtonHeight);
    return b;
}

QWidget* panel(QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setAttribute(Qt::WA_StyledBackground, true);
    w->setStyleSheet(QStringLiteral("background-color: rgb(208,222,208); border: 1px solid rgb(150,170,150);"));
    return w;
}

} // namespace

frmTotal::frmTotal(TotalsSession& session, QWidget* mainWindow)
    : QWidget(nullptr), m_session(session), m_main(mainWindow) {
    setWindowTitle(QStringLiteral("集計表示"));
    setFont(UiFont(GothicFace(), 10));
    setAttribute(Qt::WA_StyledBackground, true);
    setObjectName(QStringLiteral("frmTotal"));
    setStyleSheet(QStringLiteral("QWidget#frmTotal { background-color: %1; }").arg(css(kTotalsWindowBack)));

    m_picTool = panel(this);
    const TotalsPicture arrows[4] = {TotalsPicture::WeekBack, TotalsPicture::DayBack, TotalsPicture::DayOn,
                                     TotalsPicture::WeekOn};
    const char* tips[4] = {"１週間前を表示します [F2]", "１日前を表示します [F3]", "１日後を表示します [F4]",
                           "１週間後を表示します [F5]"};
    const int moves[4] = {-7, -1, 1, 7};
    for (int i = 0; i < 4; ++i) {
        m_cmdTool[i] =
            pictureButton(m_picTool, TotalsButtonPicture(arrows[i], QSize(28, 24)), QString::fromUtf8(tips[i]));
        connect(m_cmdTool[i], &QPushButton::clicked, this, [this, i, moves] { MoveTotalsWeek(m_session, moves[i]); });
    }
    m_picCmd = panel(this);
    m_cmdSET = pictureButton(m_picCmd, TotalsButtonPicture(TotalsPicture::ClosingDay, QSize(28, 24)),
                             QStringLiteral("月集計の締め日を変更します [F11]"));
    m_cmdPR = pictureButton(m_picCmd, ButtonPicture(5, QSize(28, 24)), QStringLiteral("集計表を印刷します [F12]"));
    m_cmdEND = pictureButton(m_picCmd, MainButtonPicture(MainPicture::Exit, QSize(28, 24)),
                             QStringLiteral("集計表示を終了します [Esc]"));
    m_cmdChart = pictureButton(m_picCmd, TotalsButtonPicture(TotalsPicture::Chart, QSize(28, 24)),
                               QStringLiteral("締め期間の集計をグラフで表示します [F9]"));
    m_cmdCSV = new QPushButton(QStringLiteral("CSV"), m_picCmd);
    m_cmdCSV->setFocusPolicy(Qt::NoFocus);
    m_cmdCSV->setToolTip(QStringLiteral("集計表をCSVファイルに書き出します [F7]"));
    connect(m_cmdCSV, &QPushButton::clicked, this, [this] { ExportCsv(); });
    connect(m_cmdSET, &QPushButton::clicked, this, [this] { SetClosingDay(m_session); });
    connect(m_cmdPR, &QPushButton::clicked, this, [this] {
        if (onPrint) onPrint();
    });
    connect(m_cmdEND, &QPushButton::clicked, this, [this] { end(); });
    connect(m_cmdChart, &QPushButton::clicked, this, [this] {
        if (onChart) onChart();
    });

    m_picHelp = panel(this);
    m_cmdHelp =
        pictureButton(m_picHelp, ButtonPicture(4, QSize(24, 24)), QStringLiteral("集計表示の説明を表示します [F1]"));
    connect(m_cmdHelp, &QPushButton::clicked, this, [] { AppHelp().ShowHelpTopic(HelpFile::Sub, 200); });
    m_lblOnePtHelp = new QLabel(m_picHelp);
    m_lblOnePtHelp->setFont(UiFont(PGothicFace(), 8));
    m_lblOnePtHelp->setStyleSheet(QStringLiteral("border: none;"));
    m_lblOnePtHelp->setText(QStringLiteral(" [予算]の金額は、該当月の合計額を超えた場合に[入金]は緑色で、\n"
                                           " [出金]は赤色で表示されます。"));

    auto caption = [this](const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setAlignment(Qt::AlignCenter);
        l->setStyleSheet(QStringLiteral("background-color: %1; color: white;").arg(css(kTotalsCaptionText)));
        return l;
    };
    m_lblRegDateT = caption(" 登録データ ");
    m_lblDspDateT = caption(" 表示データ ");
    m_lblRegDate = new QLabel(this);
    m_lblDspDate = new QLabel(this);
    m_lblDate = new QLabel(this);
    m_lblDate->setAlignment(Qt::AlignCenter);
    m_lblDate->setStyleSheet(
        QStringLiteral("background-color: white; color: %1; border: 1px solid %1;").arg(css(kTotalsCaptionText)));
    for (QLabel* l : {m_lblRegDate, m_lblDspDate})
        l->setStyleSheet(QStringLiteral("color: %1;").arg(css(kTotalsCaptionText)));

    for (int i = 0; i < 3; ++i) {
        m_grids[i] = new GridView(this, &m_models[i]);
        m_grids[i]->installEventFilter(this);
        m_grids[i]->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    installEventFilter(this);
}

frmTotal::~frmTotal() = default;

void frmTotal::ShowTotals(const TotalsState&, const BgtRecord& budget, bool rebuild) {
    const QFontMetrics fm(UiFont(GothicFace(), 10));
    const TextMeasure measure = [fm](const std::string& text) {
        return TextSize{PixelsToTwips(fm.horizontalAdvance(qs(text))), PixelsToTwips(fm.height())};
    };
    const TotalsGridModels models{&m_models[0], &m_models[1], &m_models[2]};
    const TotalsLayout layout = ShowTotalsOnGrids(models, m_session.state, budget, measure, rebuild);
    if (layout.fullBuild) {
        m_layout = layout;
        ++m_fullBuilds;
    }
    const TotalsLabels labels = TotalsLabelTexts(m_session.state);
    m_lblRegDate->setText(qs(labels.registered));
    m_lblDspDate->setText(qs(labels.shown));
    m_lblDate->setText(qs(labels.closing));
    relayout();
}

void frmTotal::relayout() {
    // The grids: exactly their shown rows high, all as wide as the widest needs.
    int width = 0;
    const bool anyScroll = m_layout.scrolls[0] || m_layout.scrolls[1];
    for (GridView* g : m_grids)
        width = std::max(width, g->SizeForRows(1, anyScroll).width());
    std::array<int, 3> heights{};
    for (int i = 0; i < 3; ++i)
        heights[i] = m_grids[i]->SizeForRows(std::max(m_layout.rowsShown[i], 1), false).height();

    const QFontMetrics fm(font());
    const int lineH = fm.height() + 6;
    int x = kMargin, y = kMargin;
    m_picTool->setGeometry(x, y, 4 * kButton + 2, kButtonHeight + 2);
    for (int i = 0; i < 4; ++i)
        m_cmdTool[i]->move(1 + i * kButton, 1);
    const int labelX = x + 4 * kButton + 2 + 12;
    const int capW = fm.horizontalAdvance(m_lblRegDateT->text()) + 8;
    const int textW =
        std::max(fm.horizontalAdvance(m_lblRegDate->text()), fm.horizontalAdvance(m_lblDspDate->text())) + 12;
    m_lblRegDateT->setGeometry(labelX, y, capW, lineH);
    m_lblRegDate->setGeometry(labelX + capW + 4, y, textW, lineH);
    m_lblDspDateT->setGeometry(labelX, y + lineH + 4, capW, lineH);
    m_lblDspDate->setGeometry(labelX + capW + 4, y + lineH + 4, textW, lineH);
    const int dateW = fm.horizontalAdvance(QStringLiteral("末日締")) + 20;
    m_lblDate->setGeometry(labelX + capW + 4 + textW + 8, y + (lineH + 4) / 2, dateW, lineH);
    y += std::max(kButtonHeight + 2, 2 * lineH + 4) + 6;

    m_picCmd->setGeometry(x, y, 5 * kButton + 2, kButtonHeight + 2);
    m_cmdSET->move(1, 1);
    m_cmdPR->move(1 + kButton, 1);
    m_cmdEND->move(1 + 2 * kButton, 1);
    m_cmdChart->move(1 + 3 * kButton, 1);
    m_cmdCSV->setGeometry(1 + 4 * kButton, 1, m_cmdChart->width(), m_cmdChart->height());
    const int helpX = x + 5 * kButton + 2 + 12;
    const int helpW = std::max(width + kMargin - helpX, m_lblOnePtHelp->sizeHint().width() + 45 + 8);
    m_picHelp->setGeometry(helpX, y, helpW, kButtonHeight + 2);
    m_cmdHelp->move(1, 1);
    m_lblOnePtHelp->setGeometry(45, 5, helpW - 50, kButtonHeight - 8);
    y += kButtonHeight + 2 + 8;

    for (int i = 0; i < 3; ++i) {
        m_grids[i]->setGeometry(x, y, width, heights[i]);
        y += heights[i] + kGap;
    }
    const int right = std::max({x + width, helpX + helpW, m_lblDate->geometry().right()}) + kMargin;
    setFixedSize(right, y - kGap + kMargin + 4);
}

int frmTotal::WindowStateCode() const {
    if (isMinimized()) return 1;
    if (isMaximized()) return 2;
    return 0;
}

void frmTotal::RunTotalsWindow() {
    AppHelp().CloseAllHelp();
    if (m_main) m_main->hide();
    QWidget* previousOwner = m_dialogs ? m_dialogs->Owner() : nullptr;
    if (m_dialogs) m_dialogs->SetOwner(this);
    m_end = false;
    m_running = true;
    const int state = m_session.settings->TotalsWindowState;
    CenterForm(this);
    QApplication::beep();
    if (state == 1)
        showMinimized();
    else if (state == 2)
        showMaximized();
    else
        show();
    raise();
    activateWindow();
    m_grids[1]->setFocus();
    if (!m_end) {
        // Modeless: the program's events run until the window sets its end flag.
        QEventLoop loop;
        m_endLoop = &loop;
        loop.exec();
        m_endLoop = nullptr;
    }
    m_running = false;
    QApplication::beep();
    StoreTotalsWindowState(*m_session.settings, m_session.settingsPath, WindowStateCode());
    hide();
    if (m_dialogs) m_dialogs->SetOwner(previousOwner);
    if (m_main) m_main->show();
}

void frmTotal::end() {
    m_end = true;
    if (m_endLoop) m_endLoop->quit();
}

bool frmTotal::windowKey(QKeyEvent* e) {
    const int key = e->key();
    if (key == Qt::Key_F4 && (e->modifiers() & Qt::AltModifier)) {
        if (AppHelp().HelpShown()) {
            AppHelp().CloseAllHelp();
            return true;
        }
        end();
        return true;
    }
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (key) {
    case Qt::Key_Escape:
        end();
        return true;
    case Qt::Key_F1:
        AppHelp().ShowHelpTopic(HelpFile::Sub, 200);
        return true;
    case Qt::Key_F2:
        MoveTotalsWeek(m_session, -7);
        return true;
    case Qt::Key_F3:
        MoveTotalsWeek(m_session, -1);
        return true;
    case Qt::Key_F4:
        MoveTotalsWeek(m_session, 1);
        return true;
    case Qt::Key_F5:
        MoveTotalsWeek(m_session, 7);
        return true;
    case Qt::Key_F6:
        if (onBooks) onBooks();
        return true;
    case Qt::Key_F7:
        ExportCsv();
        return true;
    case Qt::Key_F8:
        if (onYear) onYear();
        return true;
    case Qt::Key_F9:
        if (onChart) onChart();
        return true;
    case Qt::Key_F11:
        SetClosingDay(m_session);
        return true;
    case Qt::Key_F12:
        if (onPrint) onPrint();
        return true;
    default:
        return false;
    }
}

bool frmTotal::eventFilter(QObject* watched, QEvent* event) {
    // The window sees its keys before the grids.
    if (event->type() == QEvent::KeyPress && (watched == this || watched->parent() == this))
        return windowKey(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

void frmTotal::keyPressEvent(QKeyEvent* e) {
    if (!windowKey(e)) QWidget::keyPressEvent(e);
}

void frmTotal::ExportCsv(QString path) {
    if (!m_session.dlg || !m_session.budget) return;
    if (path.isEmpty()) {
        const TotalsState& st = m_session.state;
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
        const QString proposed = QDir(folder).filePath(
            QString::asprintf("集計_%04d%02d%02d.csv", st.LastDate.year, st.LastDate.month, st.LastDate.day));
        // The writer asks before it replaces a file, so the file dialog does not ask as well.
        path = QFileDialog::getSaveFileName(this, QStringLiteral("CSV出力"), proposed,
                                            QStringLiteral("CSVファイル (*.csv)"), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty()) return;
    }
    const std::string target = path.toStdString();
    const int rows = ExportTotalsCsv(m_session.state, *m_session.budget, CsvEncoding::Utf8Bom, target, *m_session.dlg);
    if (rows >= 0)
        m_session.dlg->MsgOK("集計表 " + std::to_string(rows) + " 行を書き出しました。\r\n" + target, "CSV出力");
}

void frmTotal::closeEvent(QCloseEvent* e) {
    // The close box ends the window the way [終了] does; the window itself stays for the caller.
    e->ignore();
    end();
}

} // namespace mrt
