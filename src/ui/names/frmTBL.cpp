#include "ui/names/frmTBL.h"

#include "ui/dialogs/DialogOwner.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/KeyInputFilter.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/QtText.h"
#include "ui/dialogs/WindowKeys.h"
#include "ui/help/HelpWindow.h"
#include "ui/names/WorkPictures.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace mrt {
namespace {

QString rgb(int r, int g, int b) {
    return QStringLiteral("rgb(%1,%2,%3)").arg(r).arg(g).arg(b);
}

const QString kFrameColor = rgb(224, 235, 224);
// Background of each list while its pane is active: income, expense, breakdowns, shops.
const QString kActiveColor[4] = {rgb(255, 255, 232), rgb(240, 255, 240), rgb(255, 255, 255), rgb(255, 255, 255)};

const char* const kToolCaptions[5] = {"追加 [F2]", "変更 [F3]", "削除 [F4]", "上へ [PgUp]", "下へ [PgDn]"};
const char* const kToolTips[5] = {
    "選択している一覧に新しい名称を追加します", "選択している名称を変更します",
    "選択している名称を一覧から削除します",     "選択している名称を一つ上へ移動します",
    "選択している名称を一つ下へ移動します",
};
const TblButton kToolButtons[5] = {TblButton::Add, TblButton::Rename, TblButton::Delete, TblButton::MoveUp,
                                   TblButton::MoveDown};

void fillList(QListWidget* list, const std::vector<std::string>& entries) {
    QStringList items;
    for (const std::string& e : entries)
        items << qs(e);
    QStringList current;
    for (int i = 0; i < list->count(); ++i)
        current << list->item(i)->text();
    if (current == items) return;
    const QSignalBlocker block(list);
    list->clear();
    list->addItems(items);
}

void selectEntry(QListWidget* list, int index) {
    const QSignalBlocker block(list);
    if (index < 0 || index >= list->count()) {
        list->clearSelection();
        list->setCurrentRow(-1);
        return;
    }
    list->setCurrentRow(index);
    list->scrollToItem(list->item(index));
}

} // namespace

frmTBL::frmTBL(QWidget* owner, int keyInputMode, Dialogs* dialogs) : QDialog(owner), m_dialogs(dialogs) {
    setWindowTitle(QStringLiteral("項目名・内訳名・店名の登録"));
    setModal(true);
    setFont(UiFont(GothicFace(), 9));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(208, 218, 208));
    setPalette(pal);
    setAutoFillBackground(true);

    // Help strip.
    m_lblOnePtHelp = new QLabel(this);
    m_lblOnePtHelp->setFont(UiFont(PGothicFace(), 9));
    m_lblOnePtHelp->setFrameShape(QFrame::Panel);
    m_lblOnePtHelp->setFrameShadow(QFrame::Sunken);
    m_lblOnePtHelp->setStyleSheet(QStringLiteral("background-color: %1;").arg(rgb(255, 255, 232)));
    m_cmdHelp = new QPushButton(this);
    m_cmdHelp->setIcon(QIcon(ButtonPicture(4, QSize(24, 24))));
    m_cmdHelp->setIconSize(QSize(24, 24));
    m_cmdHelp->setToolTip(QStringLiteral("この画面の使い方を表示します [F1]"));

    // Work buttons.
    auto* tools = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        m_cmdTool[i] = new QToolButton(this);
        m_cmdTool[i]->setIcon(QIcon(WorkPicture(i, QSize(28, 28))));
        m_cmdTool[i]->setIconSize(QSize(28, 28));
        m_cmdTool[i]->setText(QString::fromUtf8(kToolCaptions[i]));
        m_cmdTool[i]->setToolTip(QString::fromUtf8(kToolTips[i]));
        m_cmdTool[i]->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        m_cmdTool[i]->setMinimumWidth(76);
        tools->addWidget(m_cmdTool[i]);
        const TblButton b = kToolButtons[i];
        connect(m_cmdTool[i], &QToolButton::clicked, this, [this, b] {
            if (m_reg) m_reg->Button(b, inputText());
        });
    }
    tools->addStretch();

    // The three panes.
    const char* titles[3] = {"項目名", "内訳・備考", "店名・相手先"};
    for (int p = 0; p < 3; ++p) {
        m_fra[p] = new QGroupBox(QString::fromUtf8(titles[p]), this);
        m_fra[p]->setStyleSheet(
            QStringLiteral("QGroupBox { background-color: %1; border: 1px solid rgb(150,170,150);"
                           " border-radius: 3px; margin-top: 10px; padding-top: 6px; }"
                           "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }")
                .arg(kFrameColor));
        m_txt[p] = new QLineEdit(m_fra[p]);
        QSizePolicy sp = m_txt[p]->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        m_txt[p]->setSizePolicy(sp);
        m_txt[p]->setStyleSheet(QStringLiteral("background-color: rgb(255,255,144); border: 1px solid black;"));
        m_txt[p]->hide();
    }
    m_lblIO = new QLabel(m_fra[kItemPane]);
    m_lblIO->setFont(UiFont(PGothicFace(), 11, true));
    m_cmdIO = new QPushButton(QStringLiteral(" 入金/出金 [Tab]"), m_fra[kItemPane]);
    m_cmdIO->setIcon(QIcon(WorkPicture(5, QSize(20, 20))));
    m_cmdIO->setToolTip(QStringLiteral("入金項目と出金項目を切り替えます"));
    connect(m_cmdIO, &QPushButton::clicked, this, [this] {
        if (m_reg) m_reg->Button(TblButton::SwitchKind, inputText());
    });
    for (int k = 0; k < 2; ++k)
        m_lstITEM[k] = new QListWidget(m_fra[kItemPane]);
    m_lstBrkDn = new QListWidget(m_fra[kBrkDnPane]);
    m_lstShop = new QListWidget(m_fra[kShopPane]);

    // Sizes from the window font's "A": names of 20, 40 and 30 bytes, 16 lines.
    const QFontMetrics fm(font());
    const int a = fm.horizontalAdvance(QLatin1Char('A'));
    const int lines = 16 * (fm.height() + 2) + 6;
    const int bar = m_lstShop->verticalScrollBar()->sizeHint().width();
    const int widths[3] = {24 * a + bar, 42 * a + bar, 32 * a + bar};
    for (int k = 0; k < 2; ++k)
        m_lstITEM[k]->setFixedSize(widths[kItemPane], lines);
    m_lstBrkDn->setFixedSize(widths[kBrkDnPane], lines);
    m_lstShop->setFixedSize(widths[kShopPane], lines);

    auto* itemTop = new QHBoxLayout;
    itemTop->addWidget(m_lblIO);
    itemTop->addStretch();
    itemTop->addWidget(m_cmdIO);
    auto* itemCol = new QVBoxLayout(m_fra[kItemPane]);
    itemCol->addLayout(itemTop);
    auto* stack = new QGridLayout;
    stack->addWidget(m_lstITEM[0], 0, 0, Qt::AlignLeft);
    stack->addWidget(m_lstITEM[1], 0, 0, Qt::AlignLeft);
    itemCol->addLayout(stack);
    itemCol->addWidget(m_txt[kItemPane]);
    QListWidget* nameLists[3] = {nullptr, m_lstBrkDn, m_lstShop};
    for (int p = kBrkDnPane; p <= kShopPane; ++p) {
        auto* col = new QVBoxLayout(m_fra[p]);
        // The same height above the list as the item pane's label row, so the lists line up.
        col->addSpacing(m_cmdIO->sizeHint().height());
        col->addWidget(nameLists[p]);
        col->addWidget(m_txt[p]);
    }
    auto* panes = new QHBoxLayout;
    for (int p = 0; p < 3; ++p)
        panes->addWidget(m_fra[p]);

    // Counts and the closing buttons.
    m_lblInItemQT = new QLabel(QStringLiteral(" 入金項目数 "), this);
    m_lblInItemQ = new QLabel(this);
    m_lblOutItemQT = new QLabel(QStringLiteral("出金項目数"), this);
    m_lblOutItemQ = new QLabel(this);
    for (QLabel* l : {m_lblInItemQT, m_lblOutItemQT})
        l->setStyleSheet(QStringLiteral("background-color: rgb(0,80,16); color: rgb(224,235,224); padding: 2px 4px;"));
    for (QLabel* l : {m_lblInItemQ, m_lblOutItemQ}) {
        l->setMinimumWidth(4 * a);
        l->setStyleSheet(QStringLiteral("color: rgb(0,80,16); padding: 2px 4px;"));
    }
    m_cmdOK = new QPushButton(QIcon(ButtonPicture(1, QSize(22, 22))), QStringLiteral(" 登  録 [F12]"), this);
    m_cmdCancel = new QPushButton(QIcon(ButtonPicture(2, QSize(22, 22))), QStringLiteral(" キャンセル [Esc]"), this);
    m_cmdOK->setToolTip(QStringLiteral("登録の変更を確定して終了します"));
    m_cmdCancel->setToolTip(QStringLiteral("登録の変更をすべて取り消して終了します"));
    connect(m_cmdOK, &QPushButton::clicked, this, [this] {
        if (m_reg) m_reg->Button(TblButton::OK, inputText());
    });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        if (m_reg) m_reg->Button(TblButton::Cancel, inputText());
    });
    connect(m_cmdHelp, &QPushButton::clicked, this, [this] {
        if (m_reg) m_reg->Button(TblButton::Help, inputText());
    });
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_lblInItemQT);
    bottom->addWidget(m_lblInItemQ);
    bottom->addSpacing(2 * a);
    bottom->addWidget(m_lblOutItemQT);
    bottom->addWidget(m_lblOutItemQ);
    bottom->addStretch();
    bottom->addWidget(m_cmdOK);
    bottom->addWidget(m_cmdCancel);

    auto* top = new QHBoxLayout;
    top->addWidget(m_lblOnePtHelp, 1);
    top->addWidget(m_cmdHelp);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(tools);
    all->addLayout(panes);
    all->addLayout(bottom);
    all->setSizeConstraint(QLayout::SetFixedSize);

    // Only the lists and the input boxes take the focus; every button is worked by its key.
    for (QWidget* b : std::initializer_list<QWidget*>{m_cmdHelp, m_cmdIO, m_cmdOK, m_cmdCancel})
        b->setFocusPolicy(Qt::NoFocus);
    for (QToolButton* b : m_cmdTool)
        b->setFocusPolicy(Qt::NoFocus);
    for (QPushButton* b : {m_cmdHelp, m_cmdIO, m_cmdOK, m_cmdCancel})
        b->setAutoDefault(false);

    for (QLineEdit* t : m_txt) {
        auto* keys = new KeyInputFilter(keyInputMode, false, t);
        keys->attach(t);
        // Installed after the common key handling, so the window sees Enter, Esc and Tab first.
        t->installEventFilter(this);
    }
    for (int p = 0; p < 3; ++p)
        m_fra[p]->installEventFilter(this);
    for (QListWidget* l : {m_lstITEM[0], m_lstITEM[1], m_lstBrkDn, m_lstShop}) {
        l->setSelectionMode(QAbstractItemView::SingleSelection);
        l->installEventFilter(this);
        l->viewport()->installEventFilter(this);
        l->verticalScrollBar()->installEventFilter(this);
    }
    installEventFilter(this);
    FormSet();
}

frmTBL::~frmTBL() = default;

void frmTBL::FormSet() {
    // Room for the longest help text: two lines.
    const QFontMetrics hm(m_lblOnePtHelp->font());
    m_lblOnePtHelp->setMinimumHeight(2 * hm.height() + 8);
    m_lblOnePtHelp->setText(qs(NameRegistration::IdleHelp()).remove(QLatin1Char('\r')));
    m_cmdHelp->setFixedSize(2 * hm.height() + 8, 2 * hm.height() + 8);
}

QListWidget* frmTBL::list(int pane) const {
    if (pane == kItemPane) return m_lstITEM[m_screen.kind];
    return pane == kBrkDnPane ? m_lstBrkDn : m_lstShop;
}

void frmTBL::RunModal(NameRegistration& reg) {
    m_reg = &reg;
    m_hiding = false;
    DialogOwner questions(m_dialogs, this);
    exec();
    m_reg = nullptr;
}

void frmTBL::Refresh(const NameRegistrationScreen& s) {
    m_screen = s;
    m_lblIO->setText(s.kind == 0 ? QStringLiteral("入金項目") : QStringLiteral("出金項目"));
    m_lblIO->setStyleSheet(s.kind == 0 ? QStringLiteral("color: rgb(128,0,128);")
                                       : QStringLiteral("color: rgb(0,0,160);"));
    for (int k = 0; k < 2; ++k) {
        fillList(m_lstITEM[k], s.items[k]);
        selectEntry(m_lstITEM[k], s.itemSel[k]);
        m_lstITEM[k]->setVisible(k == s.kind);
    }
    fillList(m_lstBrkDn, s.brkDn);
    selectEntry(m_lstBrkDn, s.brkDnSel);
    fillList(m_lstShop, s.shop);
    selectEntry(m_lstShop, s.shopSel);
    // The active list stands out in its own colour; the others take their frame's.
    for (int p = 0; p < 3; ++p) {
        QListWidget* l = list(p);
        const QString back = p == s.activePane ? kActiveColor[p == kItemPane ? s.kind : p + 1] : kFrameColor;
        l->setStyleSheet(QStringLiteral("QListWidget { background-color: %1; }").arg(back));
    }
    m_lblInItemQ->setText(qs(s.incomeCount));
    m_lblOutItemQ->setText(qs(s.expenseCount));
    m_lblOnePtHelp->setText(qs(s.help).remove(QLatin1Char('\r')));
    for (int p = 0; p < 3; ++p)
        m_txt[p]->setVisible(p == s.inputPane);
    ReturnFocus();
}

void frmTBL::SetInputText(const std::string& text) {
    if (m_screen.inputPane < 0) return;
    QLineEdit* t = m_txt[m_screen.inputPane];
    t->setText(qs(text));
    t->setCursorPosition(static_cast<int>(t->text().size()));
}

void frmTBL::FocusListBox() {
    list(m_screen.activePane)->setFocus();
}

void frmTBL::FocusTextBox() {
    m_txt[m_screen.inputPane]->setFocus();
}

void frmTBL::ReturnFocus() {
    if (m_screen.inputPane >= 0)
        FocusTextBox();
    else
        FocusListBox();
}

void frmTBL::HideWindow() {
    m_hiding = true;
    done(QDialog::Accepted);
}

std::string frmTBL::inputText() const {
    if (m_screen.inputPane < 0) return {};
    return m_txt[m_screen.inputPane]->text().toStdString();
}

// Keys the window takes before its controls. True when consumed.
bool frmTBL::windowKey(QObject* watched, QKeyEvent* e) {
    const std::optional<WindowKey> key = ToWindowKey(e);
    if (!key) return false;
    if (*key == WindowKey::AltF4) {
        // With a help window open Alt+F4 closes that; otherwise it is the close box.
        if (AppHelp().HelpShown())
            AppHelp().CloseAllHelp();
        else
            close();
        return true;
    }
    const bool inInput = std::find(m_txt.begin(), m_txt.end(), watched) != m_txt.end();
    if (inInput) {
        // The caret keys and typing belong to the input box.
        switch (*key) {
        case WindowKey::Left:
        case WindowKey::Right:
        case WindowKey::Home:
        case WindowKey::End:
        case WindowKey::Char:
            return false;
        default:
            break;
        }
    }
    if (m_reg) m_reg->Key(*key == WindowKey::ShiftEnter ? WindowKey::Enter : *key, inputText());
    return true;
}

bool frmTBL::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        return windowKey(watched, static_cast<QKeyEvent*>(event));
    case QEvent::ShortcutOverride: {
        // Tab and the function keys are the window's, not focus moves or shortcuts.
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ToWindowKey(ke)) ke->accept();
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (!m_reg) return false;
        auto* me = static_cast<QMouseEvent*>(event);
        for (int p = 0; p < 3; ++p) {
            QListWidget* l = list(p);
            if (watched == l->viewport()) {
                const QModelIndex index = l->indexAt(me->position().toPoint());
                m_reg->ListClicked(p, index.isValid() ? index.row() : -1);
                return true; // the controller decides the selection
            }
            if (watched == m_fra[p] || watched == l->verticalScrollBar()) {
                m_reg->PaneClicked(p);
                return false;
            }
        }
        return false;
    }
    default:
        return false;
    }
}

void frmTBL::closeEvent(QCloseEvent* e) {
    if (m_hiding || !m_reg) {
        e->accept();
        return;
    }
    e->ignore();
    m_reg->CloseRequested();
}

void frmTBL::reject() {
    if (m_hiding || !m_reg)
        QDialog::reject();
    else
        m_reg->Key(WindowKey::Esc, inputText());
}

} // namespace mrt
