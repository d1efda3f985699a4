#include "ui/dialogs/frmSelect.h"

#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/WindowKeeper.h"
#include "ui/grid/GridView.h"
#include "ui/help/HelpWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace mrt {

namespace {
constexpr int kButtonW = 40; // picture buttons, 600 × 450 twips
constexpr int kButtonH = 30;
constexpr int kTopOfHelpLine = 13; // 200 twips
} // namespace

frmSelect::frmSelect(QWidget* owner) : QDialog(owner) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(224, 234, 224));
    setPalette(pal);
    setAutoFillBackground(true);

    m_msgHelp = new QLabel(QString::fromUtf8("Wｸﾘｯｸするか、↓↑で選択して[実行]"), this);
    m_msgHelp->setFont(UiFont(PGothicFace(), 8));
    QPalette hp = m_msgHelp->palette();
    hp.setColor(QPalette::WindowText, QColor(112, 134, 85));
    m_msgHelp->setPalette(hp);
    m_msgHelp->setAlignment(Qt::AlignCenter);

    m_list = new GridView(this);
    GridModel& m = m_list->model();
    m.SetFixedRows(0);
    m.SetFixedCols(0);
    m.SetCols(1);
    m.SetFontName(GothicFace().toStdString());
    m.SetFontSize(9);
    m.SetScrollBars(GridScrollBars::None);
    m.SetSelectionMode(GridSelectionMode::ByRow);
    m.SetFocusRect(GridFocusRect::None);
    m.SetHighLight(GridHighLight::Always);
    m.SetBackColor(Rgb(176, 203, 192));
    m.SetBackColorBkg(Rgb(176, 203, 192));
    m.SetForeColor(Rgb(0, 0, 128));
    m.SetForeColorSel(Rgb(255, 255, 255));
    m.SetBackColorSel(FromQColor(QApplication::palette().color(QPalette::Highlight)));
    m.SetGridColorLines(Rgb(176, 203, 192));
    m.SetColAlignment(0, GridAlign::Center);
    m_list->installEventFilter(this);
    connect(m_list, &GridView::DblClick, this, &frmSelect::confirm);

    const QString style = QStringLiteral("QPushButton { background-color: rgb(200,216,184); border: 1px solid "
                                         "rgb(130,150,115); border-radius: 3px; }"
                                         "QPushButton:focus { border: 2px solid rgb(70,90,60); }");
    auto makeButton = [&](int picture) {
        auto* b = new QPushButton(this);
        b->setIcon(ButtonPicture(picture, QSize(kButtonW - 8, kButtonH - 6)));
        b->setIconSize(QSize(kButtonW - 8, kButtonH - 6));
        b->setFixedSize(kButtonW, kButtonH);
        b->setStyleSheet(style);
        b->setAutoDefault(false);
        b->installEventFilter(this);
        return b;
    };
    m_ok = makeButton(1);
    m_ok->setToolTip(QString::fromUtf8("選択した作業を実行します（［Enter］ｷｰを押すか、このボタンをクリックします）"));
    m_cancel = makeButton(2);
    m_cancel->setToolTip(QString::fromUtf8("作業を終了します（［ESC］ｷｰを押すか、このボタンをクリックする）"));
    m_help = makeButton(4);
    m_help->setToolTip(QString::fromUtf8("この作業の説明を表示します（［F1］ｷｰ）"));
    connect(m_ok, &QPushButton::clicked, this, &frmSelect::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &frmSelect::cancel);
    connect(m_help, &QPushButton::clicked, this, &frmSelect::openHelp);
}

int frmSelect::SubMenu(const QString& ttl, int& lstNm, const QStringList& sel) {
    return run(ttl, lstNm, sel, 0);
}

int frmSelect::SubMenuH(const QString& ttl, int& lstNm, const QStringList& sel, int hid) {
    return run(ttl, lstNm, sel, hid);
}

int frmSelect::run(const QString& ttl, int& lstNm, const QStringList& sel, int hid) {
    if (sel.isEmpty()) return -1;
    m_cancelled = true;
    m_helpTopic = hid;
    setWindowTitle(ttl);

    GridModel& m = m_list->model();
    const int selq = static_cast<int>(sel.size());
    m.SetRedraw(false);
    m.SetRows(selq);
    const QFontMetrics fm(m_list->GridFont());
    const int kw = fm.horizontalAdvance(QString::fromUtf8("漢"));
    int textW = 0;
    for (int i = 0; i < selq; ++i) {
        m.SetTextMatrix(i, 0, sel[i].toStdString());
        textW = std::max(textW, fm.horizontalAdvance(sel[i]));
    }
    m.SetColWidth(0, PixelsToTwips(textW + 2 * kw));
    m.SetAllRowHeights(PixelsToTwips(fm.height() + 8));
    m.SetCursor(std::clamp(lstNm, 1, selq) - 1, 0);
    m.SetTopRow(0);
    m.SetRedraw(true);

    // Layout: help line, the list (as high as its rows), the buttons; everything centred. A list
    // taller than the screen allows (fifty ledger years) shows what fits and scrolls.
    QSize listSize = m_list->SizeForRows(selq, false);
    const int maxListH = AvailableArea(this).height() - 8 * kButtonH;
    const bool scrolls = listSize.height() > maxListH;
    m.SetScrollBars(scrolls ? GridScrollBars::Vertical : GridScrollBars::None);
    if (scrolls) listSize = m_list->SizeForRows(std::max(3, selq * maxListH / listSize.height()), true);
    const int margin = kw;
    const QSize helpSize = m_msgHelp->sizeHint();
    const bool withHelp = hid > 0;
    const int buttons = withHelp ? 3 : 2;
    const int rowW = buttons * kButtonW + (buttons - 1) * kw;
    // The caption is the question ("保管するデータを選択してください。"): wide enough to be read whole
    // beside the window manager's buttons.
    QFont captionFont = font();
    captionFont.setBold(true);
    const int captionW = QFontMetrics(captionFont).horizontalAdvance(ttl) * 5 / 4 + 8 * kw;
    const int width =
        std::max({listSize.width() + 2 * margin, rowW + 2 * margin, helpSize.width() + margin, captionW, 200});
    int y = kTopOfHelpLine;
    m_msgHelp->setGeometry(0, y, width, helpSize.height());
    y += helpSize.height() + 4;
    m_list->setGeometry((width - listSize.width()) / 2, y, listSize.width(), listSize.height());
    y += listSize.height() + margin / 2 + 2;
    int x = (width - rowW) / 2;
    for (QPushButton* b : {m_ok, m_cancel, m_help}) {
        if (b == m_help && !withHelp) {
            b->hide();
            continue;
        }
        b->move(x, y);
        b->show();
        x += kButtonW + kw;
    }
    y += kButtonH + margin / 2 + 2;
    setFixedSize(width, y);

    CentreOnScreen(this);
    m_list->setFocus();
    exec();
    if (m_cancelled) return -1;
    lstNm = m.Row() + 1;
    return lstNm;
}

void frmSelect::confirm() {
    m_cancelled = false;
    AppHelp().CloseAllHelp();
    accept();
}

void frmSelect::cancel() {
    m_cancelled = true;
    AppHelp().CloseAllHelp();
    reject();
}

void frmSelect::openHelp() {
    if (m_helpTopic > 0) AppHelp().ShowHelpTopic(HelpFile::Sub, m_helpTopic);
}

bool frmSelect::handleKey(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Escape:
        cancel();
        return true;
    case Qt::Key_F1:
        openHelp();
        return true;
    case Qt::Key_F4:
        if ((e->modifiers() & Qt::AltModifier) && AppHelp().HelpShown()) {
            AppHelp().CloseAllHelp();
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter on a button presses that button; anywhere else it confirms the line.
        if (auto* b = qobject_cast<QPushButton*>(focusWidget())) {
            b->click();
            return true;
        }
        confirm();
        return true;
    default:
        return false;
    }
}

bool frmSelect::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent*>(event))) return true;
    return QDialog::eventFilter(watched, event);
}

void frmSelect::keyPressEvent(QKeyEvent* e) {
    if (!handleKey(e)) QDialog::keyPressEvent(e);
}

void frmSelect::closeEvent(QCloseEvent* e) {
    // Alt+F4 from the window manager closes an open help window instead of the list.
    if (AppHelp().HelpShown() && e->spontaneous()) {
        AppHelp().CloseAllHelp();
        e->ignore();
        return;
    }
    m_cancelled = true;
    AppHelp().CloseAllHelp();
    QDialog::closeEvent(e);
}

} // namespace mrt
