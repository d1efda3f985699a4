#include "ui/csv/frmCsvExport.h"

#include "app/AppState.h"
#include "app/CsvCommands.h"
#include "port/Dialogs.h"
#include "ui/dialogs/Fonts.h"
#include "util/Clock.h"
#include "util/DateText.h"
#include "util/Paths.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace mrt {
namespace {

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

// Combo box entries in the order of their encodings.
constexpr CsvEncoding kEncodings[] = {CsvEncoding::Utf8Bom, CsvEncoding::Utf8, CsvEncoding::Cp932};

} // namespace

frmCsvExport::frmCsvExport(const AppState& app, Dialogs& dlg, QWidget* owner) : QDialog(owner), m_app(app), m_dlg(dlg) {
    setWindowTitle(QStringLiteral("CSV出力"));
    setFont(UiFont(GothicFace(), 10));
    const LedgerIndex& idx = app.ledger.index;
    m_from = new QLineEdit(this);
    m_to = new QLineEdit(this);
    if (idx.YearCount > 0) {
        m_from->setText(qs(FormatDate(idx.FirstYear, idx.FirstMonth, idx.FirstDay)));
        m_to->setText(qs(FormatDate(idx.LastYear, idx.LastMonth, idx.LastDay)));
    }
    for (QLineEdit* d : {m_from, m_to})
        d->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_encoding = new QComboBox(this);
    m_encoding->addItems({QStringLiteral("UTF-8 (BOM付き) — 表計算ソフト向け"), QStringLiteral("UTF-8 (BOMなし)"),
                          QStringLiteral("シフトJIS (CP932)")});
    const CivilDate today = AppClock().Today();
    m_path = new QLineEdit(QDir::homePath() + QStringLiteral("/家計簿_") +
                               qs(FormatDate(today.year, today.month, today.day, "")) + QStringLiteral(".csv"),
                           this);
    m_path->setMinimumWidth(420);
    auto* browse = new QPushButton(QStringLiteral("参照(&B)…"), this);
    m_export = new QPushButton(QStringLiteral("出力(&O)"), this);
    m_export->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("中止"), this);

    auto* grid = new QGridLayout(this);
    auto addRow = [&](int row, const QString& caption, QWidget* field, QWidget* extra = nullptr) {
        auto* l = new QLabel(caption, this);
        l->setBuddy(field);
        grid->addWidget(l, row, 0);
        grid->addWidget(field, row, 1);
        if (extra) grid->addWidget(extra, row, 2);
    };
    auto* range = new QWidget(this);
    auto* rangeLayout = new QHBoxLayout(range);
    rangeLayout->setContentsMargins(0, 0, 0, 0);
    rangeLayout->addWidget(m_from);
    rangeLayout->addWidget(new QLabel(QStringLiteral("～"), this));
    rangeLayout->addWidget(m_to);
    addRow(0, QStringLiteral("日付(&D):"), range);
    static_cast<QLabel*>(grid->itemAtPosition(0, 0)->widget())->setBuddy(m_from);
    addRow(1, QStringLiteral("文字コード(&C):"), m_encoding);
    addRow(2, QStringLiteral("ファイル(&F):"), m_path, browse);
    auto* note = new QLabel(QStringLiteral("列: 日付, 項目名, 内訳・備考, 店名・相手先, 入金, 出金, 残高"), this);
    grid->addWidget(note, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_export);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 0, 1, 3);

    connect(browse, &QPushButton::clicked, this, &frmCsvExport::browse);
    connect(m_export, &QPushButton::clicked, this, &frmCsvExport::exportNow);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_from->setFocus();
}

void frmCsvExport::browse() {
    std::string folder, name;
    SplitPath(utf8(m_path->text()), folder, name);
    if (m_dlg.GetDirName("CSV出力", "出力先のフォルダを選んでください。", folder) != 0) return;
    m_path->setText(qs(JoinPath(folder, name)));
}

void frmCsvExport::exportNow() {
    const CsvEncoding enc = kEncodings[std::max(0, m_encoding->currentIndex())];
    if (RunAppExport(m_app, utf8(m_from->text()), utf8(m_to->text()), enc, utf8(m_path->text().trimmed()), m_dlg) == 0)
        accept();
}

void frmCsvExport::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        m_dlg.ShowHelpTopic(HelpFile::Main, kSearchCsvHelpTopic);
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace mrt
