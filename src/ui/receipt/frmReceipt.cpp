#include "ui/receipt/frmReceipt.h"

#include "app/AppState.h"
#include "app/CsvCommands.h"
#include "port/Dialogs.h"
#include "receipt/ReceiptOcr.h"
#include "receipt/ReceiptStore.h"
#include "receipt/ReceiptText.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"
#include "util/Csv.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace mrt {
namespace {

enum Column { kDate, kItem, kNote, kShop, kAmount, kColumns };

// One read line as HTML, the unsure characters on a yellow ground.
QString markedLine(const ReadLine& line) {
    QString html;
    size_t at = 0;
    for (const auto& [begin, end] : line.unsure) {
        if (begin < at || end > line.text.size()) continue;
        html += qs(line.text.substr(at, begin - at)).toHtmlEscaped();
        html += QStringLiteral("<span style=\"background:#ffe066\">") +
                qs(line.text.substr(begin, end - begin)).toHtmlEscaped() + QStringLiteral("</span>");
        at = end;
    }
    html += qs(line.text.substr(at)).toHtmlEscaped();
    return html;
}

} // namespace

frmReceipt::frmReceipt(AppState& app, Dialogs& dlg, const std::string& imagePath, QWidget* owner)
    : QDialog(owner), m_app(app), m_dlg(dlg), m_path(imagePath) {
    setWindowTitle(QStringLiteral("レシート読取 — ") + qs(imagePath));
    setFont(UiFont(GothicFace(), 10));
    m_image = new QLabel(this);
    m_image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* imageArea = new QScrollArea(this);
    imageArea->setWidget(m_image);
    imageArea->setWidgetResizable(true);
    imageArea->setMinimumWidth(380);
    imageArea->setFocusPolicy(Qt::NoFocus);
    m_text = new QTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setFocusPolicy(Qt::NoFocus);
    m_checks = new QLabel(this);
    m_checks->setWordWrap(true);
    m_split = new QComboBox(this);
    m_split->addItems({QStringLiteral("税率ごとに行を分ける"), QStringLiteral("レシート1枚を1行にする")});
    m_lines = new QTableWidget(0, kColumns, this);
    m_lines->setHorizontalHeaderLabels({QStringLiteral("日付"), QStringLiteral("項目名"), QStringLiteral("内訳・備考"),
                                        QStringLiteral("店名・相手先"), QStringLiteral("出金")});
    m_lines->verticalHeader()->setVisible(false);
    m_lines->horizontalHeader()->setStretchLastSection(true);
    m_lines->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                             QAbstractItemView::DoubleClicked);
    m_lines->setTabKeyNavigation(false);
    const int widths[] = {100, 110, 200, 170};
    for (int c = 0; c < 4; ++c)
        m_lines->setColumnWidth(c, widths[c]);
    m_add = new QPushButton(QStringLiteral("追加(&A)"), this);
    auto* cancel = new QPushButton(QStringLiteral("中止"), this);
    m_add->setDefault(true);

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("読み取った文字（黄色は不確かな文字）"), this));
    right->addWidget(m_text, 2);
    right->addWidget(m_checks);
    right->addWidget(m_split);
    right->addWidget(m_lines, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("F2 で値を直し、Enter で全行を追加します。"), this));
    buttons->addStretch();
    buttons->addWidget(m_add);
    buttons->addWidget(cancel);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(imageArea, 2);
    layout->addLayout(right, 3);
    resize(1180, 720);

    connect(m_split, &QComboBox::currentIndexChanged, this, &frmReceipt::propose);
    connect(m_add, &QPushButton::clicked, this, &frmReceipt::addNow);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    UseProgramColours(this);
}

bool frmReceipt::ReadImage() {
    QPixmap picture(qs(m_path));
    if (!picture.isNull()) m_image->setPixmap(picture.scaledToWidth(360, Qt::SmoothTransformation));
    ReceiptReader reader;
    std::vector<ReadLine> lines;
    std::string error;
    m_dlg.MsgOn("\r\nレシートを読み取っています。しばらくお待ちください。", "レシート読取");
    const bool ok = reader.Read(m_path, lines, error);
    m_dlg.MsgOff();
    if (!ok) {
        m_dlg.MsgOK(error, "レシート読取");
        return false;
    }
    QString html;
    for (const ReadLine& l : lines)
        html += markedLine(l) + QStringLiteral("<br>");
    m_text->setHtml(html);
    m_receipt = ParseReceipt(lines, RegisteredShopNames(m_app.names));
    QString checks;
    if (m_receipt.TotalsConfirmed())
        checks = QStringLiteral("合計 %1 は税率ごとの額と合っています。").arg(qs(YenText(m_receipt.total)));
    for (const ReceiptIssue& i : m_receipt.issues)
        checks += (checks.isEmpty() ? QString() : QStringLiteral("\n")) +
                  (i.affectsTotals ? QStringLiteral("要確認: ") : QStringLiteral("注意: ")) + qs(i.text);
    if (!m_receipt.tnumber.empty())
        checks += QStringLiteral("\n登録番号 %1（%2）")
                      .arg(qs(m_receipt.tnumber), m_receipt.tcheck == TNumberCheck::Valid
                                                      ? QStringLiteral("検査数字 正")
                                                      : QStringLiteral("検査数字が合いません"));
    m_checks->setText(checks);
    propose();
    return true;
}

void frmReceipt::propose() {
    const std::vector<ProposedLine> lines = ProposeLines(
        m_receipt, m_split->currentIndex() == 0 ? ReceiptSplit::PerRate : ReceiptSplit::Whole, m_app.names,
        [this](const std::string& shop) { return ReceiptShopItem(m_app.dataFolder, m_app.ledger.index, shop); });
    m_lines->setRowCount(int(lines.size()));
    for (int r = 0; r < int(lines.size()); ++r) {
        const ProposedLine& l = lines[size_t(r)];
        const QString date = l.date > 0 ? QStringLiteral("%1/%2/%3")
                                              .arg(l.date / 10000)
                                              .arg(l.date / 100 % 100, 2, 10, QLatin1Char('0'))
                                              .arg(l.date % 100, 2, 10, QLatin1Char('0'))
                                        : QString();
        const QString cells[kColumns] = {date, qs(l.item), qs(l.note), qs(l.shop), QString::number(l.amount)};
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == kAmount) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_lines->setItem(r, c, item);
        }
    }
    if (m_lines->rowCount() > 0) m_lines->setCurrentCell(0, kItem);
    m_lines->setFocus();
}

void frmReceipt::addNow() {
    CsvWriter csv;
    std::vector<ProposedLine> kept;
    for (int r = 0; r < m_lines->rowCount(); ++r) {
        const auto cell = [&](int c) { return m_lines->item(r, c) ? m_lines->item(r, c)->text().toStdString() : ""; };
        csv.Text(cell(kDate))
            .Text(cell(kItem))
            .Text(cell(kNote))
            .Text(cell(kShop))
            .Empty()
            .Text(cell(kAmount))
            .EndRow();
    }
    const ImportPlan plan = PlanAppImport(m_app, std::string(csv.Data()), false);
    if (!plan.Ready()) {
        std::string why = plan.fileError.empty() ? "行がありません。" : plan.fileError;
        for (const ImportRow& row : plan.rows)
            if (!row.problem.empty()) why = std::to_string(row.lineNo) + "行目: " + row.problem;
        m_dlg.MsgOK("追加できません。値を直してください。\r\n" + why, "レシート読取");
        return;
    }
    int64_t sum = 0;
    for (const ImportRow& row : plan.rows) {
        const IoRecord& l = row.line;
        sum += l.Expense;
        kept.push_back({l.Year * 10000 + l.Month * 100 + l.Day, l.ItemName, l.Note, l.ShopName, l.Expense, 0});
    }
    // Lines that do not make the receipt's confirmed total are added only when the user says so.
    if ((!m_receipt.TotalsConfirmed() || sum != m_receipt.total) &&
        m_dlg.MsgYesNo("行の合計 " + YenText(sum) +
                           " がレシートの確かめられた合計と一致しません。\r\nこのまま追加しますか？",
                       "レシート読取") != 0)
        return;
    if (RunAppImport(m_app, plan, m_dlg, "レシート読取") != 0) return;
    std::string error;
    if (KeepReceiptImage(m_app.dataFolder, m_path, kept, error) != 0) m_dlg.MsgOK(error, "レシート読取");
    accept();
}

// Enter adds the lines; while a cell is being edited the editor takes Enter to end the edit.
void frmReceipt::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        addNow();
        return;
    }
    QDialog::keyPressEvent(e);
}

void ShowReceiptImage(const std::string& path, QWidget* owner) {
    QDialog w(owner);
    w.setWindowTitle(QStringLiteral("レシート — ") + qs(path));
    auto* label = new QLabel(&w);
    label->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    QPixmap picture(qs(path));
    if (picture.isNull())
        label->setText(QStringLiteral("画像を表示できません: ") + qs(path));
    else
        label->setPixmap(picture.width() > 560 ? picture.scaledToWidth(560, Qt::SmoothTransformation) : picture);
    auto* area = new QScrollArea(&w);
    area->setWidget(label);
    area->setWidgetResizable(true);
    auto* layout = new QVBoxLayout(&w);
    layout->addWidget(area);
    w.resize(620, 760);
    w.exec();
}

} // namespace mrt
