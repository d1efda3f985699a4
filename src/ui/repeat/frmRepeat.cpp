#include "ui/repeat/frmRepeat.h"

#include "app/AppState.h"
#include "app/Startup.h"
#include "port/Dialogs.h"
#include "screens/RepeatDueList.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"
#include "util/DateText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace mrt {
namespace {

constexpr const char* kTitle = "定期入出金の登録";

QComboBox* editableBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(15);
    return box;
}

void fill(QComboBox* box, const std::vector<std::string>& entries, const std::string& text) {
    box->clear();
    for (const std::string& e : entries)
        box->addItem(qs(e));
    box->setCurrentIndex(-1);
    box->setEditText(qs(text));
}

} // namespace

frmRepeat::frmRepeat(AppState& app, Dialogs& dlg, const IoRecord* line, QWidget* owner)
    : QDialog(owner), m_app(app), m_dlg(dlg), m_reg(app.repeats, app.names, app.settings.TaxRate, AppClock().Today()) {
    setWindowTitle(qs(kTitle));
    setFont(UiFont(GothicFace(), 10));
    m_entries = new QListWidget(this);
    m_entries->setMinimumWidth(420);
    m_side = new QComboBox(this);
    m_side->addItems({QStringLiteral("入金"), QStringLiteral("出金")});
    m_item = editableBox(this);
    m_note = editableBox(this);
    m_shop = editableBox(this);
    m_amount = new QLineEdit(this);
    m_kind = new QComboBox(this);
    m_kind->addItems({QStringLiteral("毎月"), QStringLiteral("毎週"), QStringLiteral("毎年")});
    m_every = new QLineEdit(this);
    m_everyUnit = new QLabel(this);
    m_day = new QLineEdit(this);
    m_dayHint = new QLabel(this);
    m_business = new QCheckBox(QStringLiteral("土日・祝日は翌営業日にする"), this);
    m_first = new QLineEdit(this);
    m_last = new QLineEdit(this);
    m_state = new QLabel(this);
    m_state->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("区分"), m_side);
    form->addRow(QStringLiteral("項目名"), m_item);
    form->addRow(QStringLiteral("内訳・備考"), m_note);
    form->addRow(QStringLiteral("店名・相手先"), m_shop);
    form->addRow(QStringLiteral("金額"), m_amount);
    form->addRow(QStringLiteral("繰返し"), m_kind);
    auto* every = new QHBoxLayout;
    every->addWidget(m_every);
    every->addWidget(m_everyUnit);
    form->addRow(QStringLiteral("間隔"), every);
    auto* day = new QHBoxLayout;
    day->addWidget(m_day);
    day->addWidget(m_dayHint);
    form->addRow(QStringLiteral("日"), day);
    form->addRow(QString(), m_business);
    form->addRow(QStringLiteral("開始日"), m_first);
    form->addRow(QStringLiteral("終了日"), m_last);
    form->addRow(QString(), m_state);

    auto* buttons = new QHBoxLayout;
    const std::pair<QString, void (frmRepeat::*)()> actions[] = {
        {QStringLiteral("新規(F2)"), &frmRepeat::newEntry},
        {QStringLiteral("登録(F12)"), &frmRepeat::store},
        {QStringLiteral("終了日(F4)"), &frmRepeat::endEntry},
        {QStringLiteral("削除(F5)"), &frmRepeat::removeEntry},
    };
    for (const auto& [text, slot] : actions) {
        auto* b = new QPushButton(text, this);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    }
    auto* close = new QPushButton(QStringLiteral("閉じる(Esc)"), this);
    close->setFocusPolicy(Qt::NoFocus);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* top = new QHBoxLayout;
    top->addWidget(m_entries, 1);
    top->addLayout(form, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("↑↓: 選択　Enter: 次の欄　F12: 登録　F2: 新規　F4: 終了日　"
                                                "F5: 削除　Esc: 閉じる　F1: ヘルプ"),
                                 this));
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(1000, 480);

    for (QWidget* w : fields())
        w->installEventFilter(this);
    for (QComboBox* box : {m_item, m_note, m_shop})
        box->lineEdit()->installEventFilter(this);
    m_entries->installEventFilter(this);
    connect(m_side, &QComboBox::currentIndexChanged, this, &frmRepeat::sideChanged);
    connect(m_item, &QComboBox::currentTextChanged, this, &frmRepeat::itemChanged);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &frmRepeat::kindChanged);
    connect(m_entries, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_filling || row < 0 || row >= static_cast<int>(m_reg.Table().entries.size())) return;
        m_current = row;
        showForm(m_reg.FormOf(row));
    });
    UseProgramColours(this);

    fillList(-1);
    if (line) {
        m_current = -1;
        showForm(m_reg.FormFromLine(*line));
        m_amount->setFocus();
    } else if (!m_reg.Table().entries.empty()) {
        m_entries->setCurrentRow(0);
        m_entries->setFocus();
    } else {
        newEntry();
    }
}

QList<QWidget*> frmRepeat::fields() const {
    return {m_side, m_item, m_note, m_shop, m_amount, m_kind, m_every, m_day, m_business, m_first, m_last};
}

void frmRepeat::fillList(int select) {
    m_filling = true;
    m_entries->clear();
    for (const std::string& row : m_reg.ListRows())
        m_entries->addItem(qs(row));
    m_entries->setCurrentRow(select);
    m_filling = false;
}

void frmRepeat::showForm(const RepeatForm& f) {
    m_offeredUpTo = f.offeredUpTo;
    m_side->setCurrentIndex(f.side);
    sideChanged();
    m_item->setEditText(qs(f.item));
    itemChanged();
    m_note->setEditText(qs(f.note));
    m_shop->setEditText(qs(f.shop));
    m_amount->setText(qs(f.amount));
    m_kind->setCurrentIndex(static_cast<int>(f.kind));
    kindChanged();
    m_every->setText(qs(f.every));
    m_day->setText(qs(f.day));
    m_business->setChecked(f.nextBusinessDay);
    m_first->setText(qs(f.first));
    m_last->setText(qs(f.last));
    QString state =
        m_current < 0 ? QStringLiteral("新しい定期入出金") : QStringLiteral("%1 番を変更").arg(m_current + 1);
    if (f.offeredUpTo)
        state += QStringLiteral("（%1 まで確認済み）")
                     .arg(qs(FormatDate(f.offeredUpTo / 10000, f.offeredUpTo / 100 % 100, f.offeredUpTo % 100)));
    m_state->setText(state);
}

RepeatForm frmRepeat::readForm() const {
    RepeatForm f;
    f.side = m_side->currentIndex();
    f.item = utf8(m_item->currentText());
    f.note = utf8(m_note->currentText());
    f.shop = utf8(m_shop->currentText());
    f.amount = utf8(m_amount->text());
    f.kind = static_cast<RepeatKind>(m_kind->currentIndex());
    f.every = utf8(m_every->text());
    f.day = utf8(m_day->text());
    f.nextBusinessDay = m_business->isChecked();
    f.first = utf8(m_first->text());
    f.last = utf8(m_last->text());
    f.offeredUpTo = m_offeredUpTo;
    return f;
}

void frmRepeat::sideChanged() {
    const QString item = m_item->currentText();
    fill(m_item, m_reg.Items(m_side->currentIndex()), utf8(item));
}

void frmRepeat::itemChanged() {
    const std::string item = utf8(m_item->currentText());
    fill(m_note, m_reg.Notes(m_side->currentIndex(), item), utf8(m_note->currentText()));
    fill(m_shop, m_reg.Shops(m_side->currentIndex(), item), utf8(m_shop->currentText()));
}

void frmRepeat::kindChanged() {
    static const char* const kUnits[] = {"か月ごと", "週ごと", "年ごと"};
    static const char* const kHints[] = {"1～31 (31 は月末)", "日・月・火・水・木・金・土", "月/日 (例 12/10)"};
    const int k = std::clamp(m_kind->currentIndex(), 0, 2);
    m_everyUnit->setText(qs(kUnits[k]));
    m_dayHint->setText(qs(kHints[k]));
    m_every->setEnabled(k != 2);
    if (k == 2) m_every->setText(QStringLiteral("1"));
}

void frmRepeat::store() {
    int index = m_current;
    const std::string why = m_reg.Store(readForm(), index, RepeatFileIn(m_app.dataFolder), m_dlg);
    if (!why.empty()) {
        m_dlg.MsgOK(why, kTitle);
        return;
    }
    m_app.repeats = m_reg.Table();
    m_current = index;
    fillList(index);
    showForm(m_reg.FormOf(index));
    m_entries->setFocus();
}

void frmRepeat::newEntry() {
    m_current = -1;
    m_entries->clearSelection();
    showForm(m_reg.NewForm());
    m_item->setFocus();
}

void frmRepeat::endEntry() {
    if (m_current < 0) return;
    const CivilDate t = AppClock().Today();
    std::string date;
    if (m_dlg.DateInYMD("この定期入出金を終える日付(最後の日)を入力してください。", FormatDate(t.year, t.month, t.day),
                        date) != 0)
        return;
    if (std::string why = m_reg.End(m_current, date, RepeatFileIn(m_app.dataFolder), m_dlg); !why.empty()) {
        m_dlg.MsgOK(why, kTitle);
        return;
    }
    m_app.repeats = m_reg.Table();
    fillList(m_current);
    showForm(m_reg.FormOf(m_current));
}

void frmRepeat::removeEntry() {
    if (m_current < 0) return;
    if (m_dlg.MsgYesNo2(std::to_string(m_current + 1) + " 番の定期入出金を削除してもよろしいですか？", kTitle, 1) != 0)
        return;
    if (m_reg.Remove(m_current, RepeatFileIn(m_app.dataFolder), m_dlg) != 0) return;
    m_app.repeats = m_reg.Table();
    const int next = std::min(m_current, static_cast<int>(m_reg.Table().entries.size()) - 1);
    fillList(-1);
    if (next >= 0) {
        m_entries->setCurrentRow(next);
        m_entries->setFocus();
    } else {
        newEntry();
    }
}

bool frmRepeat::key(QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (e->key()) {
    case Qt::Key_F1:
        m_dlg.ShowHelpTopic(HelpFile::Main, kRecurringHelpTopic);
        return true;
    case Qt::Key_F2:
        newEntry();
        return true;
    case Qt::Key_F12:
        store();
        return true;
    case Qt::Key_F4:
        endEntry();
        return true;
    case Qt::Key_F5:
        removeEntry();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        QWidget* f = focusWidget();
        if (f == m_entries) {
            m_item->setFocus();
            return true;
        }
        const QList<QWidget*> list = fields();
        int at = -1;
        for (int i = 0; i < list.size(); ++i)
            if (list[i] == f || list[i]->isAncestorOf(f)) at = i;
        if (at < 0) return false;
        if (at == list.size() - 1) {
            store();
            return true;
        }
        int next = at + 1;
        while (next < list.size() - 1 && !list[next]->isEnabled())
            ++next;
        list[next]->setFocus();
        return true;
    }
    default:
        return false;
    }
}

bool frmRepeat::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() == QEvent::KeyPress && key(static_cast<QKeyEvent*>(e))) return true;
    return QDialog::eventFilter(obj, e);
}

void frmRepeat::keyPressEvent(QKeyEvent* e) {
    if (key(e)) return;
    QDialog::keyPressEvent(e);
}

} // namespace mrt
