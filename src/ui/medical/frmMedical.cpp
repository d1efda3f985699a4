#include "ui/medical/frmMedical.h"

#include "app/AppState.h"
#include "app/CsvCommands.h"
#include "ledger/LineRules.h"
#include "port/Dialogs.h"
#include "totals/TotalsText.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"
#include "util/Clock.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace mrt {
namespace {

constexpr int kHelpTopic = 120;

// A choice list as the cell's editor: the persons or the four categories.
class ChoiceDelegate : public QStyledItemDelegate {
public:
    ChoiceDelegate(std::function<QStringList()> choices, QObject* parent)
        : QStyledItemDelegate(parent), m_choices(std::move(choices)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->addItems(m_choices());
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(std::max(0, box->findText(index.data().toString())));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText());
    }

private:
    std::function<QStringList()> m_choices;
};

// The tax return is made in the first months of the year for the year before.
int defaultYear() {
    const CivilDate today = AppClock().Today();
    return today.month <= 6 ? today.year - 1 : today.year;
}

} // namespace

frmMedical::frmMedical(const AppState& app, Dialogs& dlg, QWidget* owner)
    : QDialog(owner), m_dlg(dlg), m_screen(app.home, app.ledger.index, dlg) {
    setWindowTitle(QString::fromUtf8(kMedicalTitle));
    setFont(UiFont(GothicFace(), 10));
    m_year = new QLineEdit(QString::number(defaultYear()), this);
    m_year->setMaximumWidth(70);
    m_items = new QLineEdit(QStringLiteral("医療費"), this);
    m_persons = new QLineEdit(this);
    m_income = new QLineEdit(this);
    m_income->setPlaceholderText(QStringLiteral("空欄: 10万円を差し引く"));
    for (QLineEdit* e : {m_year, m_income})
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
    auto* collectButton = new QPushButton(QStringLiteral("集計(&R)"), this);

    m_table = new QTableWidget(0, ColCount, this);
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("医療を受けた人"), QStringLiteral("支払先"), QStringLiteral("医療費の区分"),
         QStringLiteral("金額"), QStringLiteral("補填額"), QStringLiteral("最終支払日"), QStringLiteral("件数")});
    m_table->horizontalHeader()->setSectionResizeMode(ColPayee, QHeaderView::Stretch);
    m_table->verticalHeader()->setVisible(false);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setTabKeyNavigation(false); // Tab leaves the table for the fields and buttons
    m_table->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::DoubleClicked);
    m_table->setItemDelegateForColumn(ColPerson, new ChoiceDelegate(
                                                     [this] {
                                                         QStringList l{QString()};
                                                         for (const auto& p : m_screen.Options().persons)
                                                             l << qs(p);
                                                         return l;
                                                     },
                                                     this));
    m_table->setItemDelegateForColumn(ColCategory,
                                      new ChoiceDelegate(
                                          [] {
                                              QStringList l;
                                              for (int c = 0; c < kMedicalCategoryCount; ++c)
                                                  l << qs(MedicalCategoryText(static_cast<MedicalCategory>(c)));
                                              return l;
                                          },
                                          this));
    m_table->setMinimumSize(760, 300);
    m_summary = new QLabel(this);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    const QString folder = qs(CsvStartFolder(app.home, QDir::homePath().toStdString()));
    m_path = new QLineEdit(folder + QStringLiteral("/医療費集計.xlsx"), this);
    auto* xlsxButton = new QPushButton(QStringLiteral("Excel形式で出力(&X)"), this);
    auto* csvButton = new QPushButton(QStringLiteral("CSV出力(&C)"), this);
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    // Enter belongs to the fields and the table, never to a button that happens to be the default.
    for (QPushButton* b : {collectButton, xlsxButton, csvButton, closeButton})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    auto* top = new QHBoxLayout;
    auto label = [&](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        top->addWidget(l);
        top->addWidget(buddy);
    };
    label(QStringLiteral("年(&Y):"), m_year);
    label(QStringLiteral("項目名(&K):"), m_items);
    label(QStringLiteral("家族(&P):"), m_persons);
    label(QStringLiteral("所得金額(&I):"), m_income);
    top->addWidget(collectButton);
    grid->addLayout(top, 0, 0, 1, 3);
    grid->addWidget(m_table, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("人と区分は Enter（一覧から選ぶ）、補填額は数字を入力します。"), this), 2,
                    0, 1, 3);
    grid->addWidget(m_summary, 3, 0, 1, 3);
    auto* fileLabel = new QLabel(QStringLiteral("ファイル(&F):"), this);
    fileLabel->setBuddy(m_path);
    grid->addWidget(fileLabel, 4, 0);
    grid->addWidget(m_path, 4, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(xlsxButton);
    buttons->addWidget(csvButton);
    buttons->addWidget(closeButton);
    grid->addLayout(buttons, 5, 0, 1, 3);

    connect(collectButton, &QPushButton::clicked, this, &frmMedical::collect);
    connect(xlsxButton, &QPushButton::clicked, this, &frmMedical::exportXlsx);
    connect(csvButton, &QPushButton::clicked, this, &frmMedical::exportCsv);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_table, &QTableWidget::cellChanged, this, &frmMedical::cellEdited);
    connect(m_income, &QLineEdit::editingFinished, this, [this] {
        bool ok = false;
        const qlonglong v = m_income->text().trimmed().remove(u',').toLongLong(&ok);
        m_screen.SetIncome(ok && v >= 0 ? v : -1);
        refresh();
    });
    UseProgramColours(this);

    m_screen.AskPersonsOnce();
    QStringList persons;
    for (const auto& p : m_screen.Options().persons)
        persons << qs(p);
    m_persons->setText(persons.join(QStringLiteral("、")));
    collect();
    m_table->setFocus();
}

void frmMedical::collect() {
    bool ok = false;
    const int year = m_year->text().trimmed().toInt(&ok);
    if (!ok || !IsLedgerYear(year)) {
        m_dlg.MsgOK("年は " + std::to_string(kFirstLedgerYear) + " から " + std::to_string(kLastLedgerYear) +
                        " までの数字で入力してください。",
                    kMedicalTitle);
        m_year->setFocus();
        return;
    }
    MedicalOptions& opt = m_screen.Options();
    opt.year = year;
    opt.items = SplitNameList(utf8(m_items->text()));
    if (opt.items.empty()) opt.items = {"医療費"};
    QStringList persons;
    for (const auto& p : opt.persons)
        persons << qs(p);
    if (m_persons->text() != persons.join(QStringLiteral("、"))) m_screen.SetPersons(utf8(m_persons->text()));
    m_path->setText(QFileInfo(m_path->text()).absolutePath() + QStringLiteral("/医療費集計_") + QString::number(year) +
                    QStringLiteral(".xlsx"));
    m_screen.Collect();
    refresh();
    m_table->setCurrentCell(0, ColPerson);
}

void frmMedical::refresh() {
    m_filling = true;
    const auto& rows = m_screen.Form().rows;
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const MedicalRow& row = rows[r];
        QString dateText = QStringLiteral("%1/%2/%3")
                               .arg(row.lastDate / 10000)
                               .arg(row.lastDate / 100 % 100, 2, 10, QLatin1Char('0'))
                               .arg(row.lastDate % 100, 2, 10, QLatin1Char('0'));
        const QString texts[ColCount] = {qs(row.person),
                                         qs(row.payee),
                                         qs(MedicalCategoryText(row.category)),
                                         qs(GroupedAmount(row.amount)),
                                         qs(GroupedAmount(row.reimbursed)),
                                         dateText,
                                         QString::number(row.lines)};
        for (int c = 0; c < ColCount; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            const bool editable = c == ColPerson || c == ColCategory || c == ColReimbursed;
            item->setFlags(editable ? item->flags() | Qt::ItemIsEditable : item->flags() & ~Qt::ItemIsEditable);
            if (c >= ColAmount) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == ColPerson && row.person.empty()) item->setBackground(QColor(255, 230, 200));
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setSectionResizeMode(ColPayee, QHeaderView::Stretch);
    QStringList lines;
    for (const auto& l : m_screen.SummaryLines())
        lines << qs(l);
    m_summary->setText(lines.join(u'\n'));
    m_filling = false;
}

void frmMedical::cellEdited(int row, int column) {
    if (m_filling) return;
    const QString text = m_table->item(row, column)->text().trimmed();
    if (column == ColPerson) {
        m_screen.SetPerson(row, utf8(text));
    } else if (column == ColCategory) {
        MedicalCategory c;
        if (MedicalCategoryOfText(utf8(text), c)) m_screen.SetCategory(row, c);
    } else if (column == ColReimbursed) {
        bool ok = false;
        const qlonglong v = QString(text).remove(u',').toLongLong(&ok);
        if (!ok || v < 0)
            m_dlg.Beep();
        else
            m_screen.SetReimbursed(row, v);
    }
    // A person or category change may merge rows: the current row is kept in range.
    const int keep = std::min(row, static_cast<int>(m_screen.Form().rows.size()) - 1);
    QMetaObject::invokeMethod(
        this,
        [this, keep, column] {
            refresh();
            m_table->setCurrentCell(std::max(0, keep), column);
        },
        Qt::QueuedConnection);
}

void frmMedical::exportXlsx() {
    QString path = m_path->text().trimmed();
    if (!path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) path += QStringLiteral(".xlsx");
    if (m_screen.ExportXlsx(utf8(path)) == 0) m_dlg.MsgOK(utf8(path) + " に書き出しました。", kMedicalTitle);
}

void frmMedical::exportCsv() {
    QString path = m_path->text().trimmed();
    if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) path.chop(5);
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) path += QStringLiteral(".csv");
    if (m_screen.ExportCsv(utf8(path), CsvEncoding::Utf8Bom) == 0)
        m_dlg.MsgOK(utf8(path) + " に書き出しました。", kMedicalTitle);
}

void frmMedical::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        m_dlg.ShowHelpTopic(HelpFile::Main, kHelpTopic);
        return;
    }
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    // Enter on a row opens its cell (the choice list for the person and the category).
    if (enter && m_table->hasFocus()) {
        m_table->edit(m_table->currentIndex());
        return;
    }
    // Enter in a field of the top row collects the year anew instead of closing the window.
    if (enter && (m_year->hasFocus() || m_items->hasFocus() || m_persons->hasFocus())) {
        collect();
        return;
    }
    if (enter && m_income->hasFocus()) {
        emit m_income->editingFinished();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace mrt
