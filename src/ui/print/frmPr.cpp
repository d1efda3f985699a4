#include "ui/print/frmPr.h"

#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/KeyInputFilter.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/QtText.h"
#include "ui/help/HelpWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace mrt {

namespace {

// Where the dialog was last confirmed; (-1, -1) before that.
QPoint g_lastPosition(-1, -1);

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

QString PdfOutputName() {
    return QStringLiteral("PDFファイル");
}

QStringList SystemPrinters(QString* defaultName) {
    if (defaultName) *defaultName = QPrinterInfo::defaultPrinterName();
    return QPrinterInfo::availablePrinterNames();
}

frmPr::frmPr(QWidget* owner, int keyInputMode) : QDialog(owner), m_keyInputMode(keyInputMode) {
    setFont(UiFont(PGothicFace(), 10));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(208, 218, 208));
    setPalette(p);
    m_msg = new QLabel(this);
    m_msg->setFont(UiFont(PGothicFace(), 9));
    m_msg->setTextFormat(Qt::PlainText);
}

QLineEdit* frmPr::DateBox(int i) const {
    return i >= 0 && i < static_cast<int>(m_txtData.size()) ? m_txtData[i] : nullptr;
}

QLineEdit* frmPr::newBox(QWidget* parent) {
    auto* box = new QLineEdit(parent);
    // The DOS type overwrites. This dialog's filter goes on last so that it is called first and
    // takes Enter and the arrows in both key input modes.
    if (m_keyInputMode != 0) (new KeyInputFilter(m_keyInputMode, true, box))->attach(box);
    box->installEventFilter(this);
    return box;
}

void frmPr::build(const PrSetData& d, const PrintOutputChoice& output) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 12, 16, 10);
    root->setSpacing(8);
    m_msg->setText(qs(d.msg));
    root->addWidget(m_msg);

    const QFontMetrics fm(font());
    const int digit = fm.horizontalAdvance(QLatin1Char('0'));
    if (d.DinQ > 0) {
        auto* dates = new QGridLayout;
        dates->setHorizontalSpacing(4);
        for (int i = 0; i < d.DinQ; ++i) {
            QLineEdit* box = newBox(this);
            const QString text = i < static_cast<int>(d.dates.size()) ? qs(d.dates[i]) : QString();
            const int chars = i % 3 == 0 ? std::max<int>(4, static_cast<int>(text.size())) : 2;
            box->setMaxLength(chars);
            box->setFixedWidth((chars + 2) * digit + 8);
            box->setAlignment(Qt::AlignCenter);
            box->setText(text);
            m_txtData.push_back(box);
            auto* label = new QLabel(i < static_cast<int>(d.Dnam.size()) ? qs(d.Dnam[i]) : QString(), this);
            dates->addWidget(box, i / 3, (i % 3) * 2);
            dates->addWidget(label, i / 3, (i % 3) * 2 + 1);
        }
        dates->setColumnStretch(6, 1);
        root->addLayout(dates);
    }

    auto* frame = new QGroupBox(QStringLiteral("設定"), this);
    auto* g = new QGridLayout(frame);
    g->setHorizontalSpacing(6);
    const auto label = [&](const QString& text) { return new QLabel(text, frame); };
    g->addWidget(label(d.Dnam2.size() > 0 ? qs(d.Dnam2[0]) : QStringLiteral("タイトル名：")), 0, 0);
    m_txtTitle = newBox(frame);
    m_txtTitle->setText(qs(d.dt2[0]));
    m_txtTitle->setMinimumWidth(32 * fm.horizontalAdvance(QStringLiteral("漢")) / 2);
    g->addWidget(m_txtTitle, 0, 1, 1, 5);
    g->addWidget(label(d.Dnam2.size() > 1 ? qs(d.Dnam2[1]) : QStringLiteral("ユーザー名：")), 1, 0);
    m_txtUsr = newBox(frame);
    m_txtUsr->setText(qs(d.dt2[1]));
    g->addWidget(m_txtUsr, 1, 1, 1, 5);
    g->addWidget(label(QStringLiteral("印字開始位置：")), 2, 0);
    const QString posLabels[2] = {QStringLiteral("左から"), QStringLiteral("上から")};
    for (int i = 0; i < 2; ++i) {
        g->addWidget(label(posLabels[i]), 2, 1 + 2 * i, Qt::AlignRight);
        m_txtPos[i] = newBox(frame);
        m_txtPos[i]->setText(qs(d.dt2[2 + i]));
        m_txtPos[i]->setFixedWidth(5 * digit + 8);
        m_txtPos[i]->setAlignment(Qt::AlignRight);
        g->addWidget(m_txtPos[i], 2, 2 + 2 * i, Qt::AlignLeft);
    }
    g->addWidget(label(QStringLiteral("用紙サイズ：")), 3, 0);
    auto* papers = new QButtonGroup(frame);
    const QString paperNames[2] = {QStringLiteral(" A4"), QStringLiteral(" B5")};
    for (int i = 0; i < 2; ++i) {
        m_optPPsize[i] = new QRadioButton(paperNames[i], frame);
        m_optPPsize[i]->installEventFilter(this);
        papers->addButton(m_optPPsize[i], i);
        g->addWidget(m_optPPsize[i], 3, 1 + 2 * i, 1, 2);
    }
    m_optPPsize[d.OptNm == 1 ? 1 : 0]->setChecked(true);
    g->setColumnStretch(5, 1);
    root->addWidget(frame);

    auto* out = new QHBoxLayout;
    out->addWidget(new QLabel(QStringLiteral("出力先："), this));
    m_cboOut = new QComboBox(this);
    m_cboOut->installEventFilter(this);
    QString defaultPrinter;
    const QStringList printers = SystemPrinters(&defaultPrinter);
    m_cboOut->addItems(printers);
    m_cboOut->addItem(PdfOutputName());
    int selected = static_cast<int>(printers.size()); // the PDF file
    if (!output.pdf) {
        const QString wanted = output.printerName.isEmpty() ? defaultPrinter : output.printerName;
        if (printers.contains(wanted))
            selected = static_cast<int>(printers.indexOf(wanted));
        else if (!printers.isEmpty() && !output.printerName.isEmpty())
            selected = 0;
    }
    m_cboOut->setCurrentIndex(selected);
    out->addWidget(m_cboOut, 1);
    root->addLayout(out);

    auto* buttons = new QHBoxLayout;
    const QSize icon(20, 20);
    m_cmdOK = new QPushButton(QIcon(ButtonPicture(5, icon)), QStringLiteral(" 印 刷 "), this);
    m_cmdPreview = new QPushButton(QStringLiteral("プレビュー(&V)"), this);
    m_cmdCancel = new QPushButton(QIcon(ButtonPicture(2, icon)), QStringLiteral(" 中 止 "), this);
    m_cmdHelp = new QPushButton(QIcon(ButtonPicture(4, icon)), QStringLiteral("ヘルプ"), this);
    m_cmdOK->setToolTip(QStringLiteral("設定を確定して印刷します [F12]"));
    m_cmdPreview->setToolTip(QStringLiteral("印刷する用紙の内容を画面で確かめます"));
    m_cmdHelp->setToolTip(QStringLiteral("[F1]"));
    for (QPushButton* b : {m_cmdOK, m_cmdPreview, m_cmdCancel, m_cmdHelp}) {
        b->setAutoDefault(true);
        b->setIconSize(icon);
    }
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdPreview);
    buttons->addWidget(m_cmdCancel);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdHelp);
    root->addLayout(buttons);
    auto* hint = new QLabel(QStringLiteral("（ [Enter]で移動：[F12]で印刷：[Esc]で中止 ）"), this);
    hint->setAlignment(Qt::AlignCenter);
    QPalette hp = hint->palette();
    hp.setColor(QPalette::WindowText, QColor(112, 134, 85));
    hint->setPalette(hp);
    root->addWidget(hint);

    connect(m_cmdOK, &QPushButton::clicked, this, [this] { confirm(false); });
    connect(m_cmdPreview, &QPushButton::clicked, this, [this] { confirm(true); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { cancel(); });
    connect(m_cmdHelp, &QPushButton::clicked, this, [] { AppHelp().ShowHelpTopic(HelpFile::Sub, 600); });

    // Tab order follows the layout: dates, title, user, positions, paper, output, buttons.
    std::vector<QWidget*> order(m_txtData.begin(), m_txtData.end());
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_txtTitle, m_txtUsr, m_txtPos[0], m_txtPos[1], m_optPPsize[0], m_optPPsize[1],
                                         m_cboOut, m_cmdOK, m_cmdPreview, m_cmdCancel, m_cmdHelp})
        order.push_back(w);
    for (size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    m_firstBox = d.DinQ > 0 ? std::clamp(d.ColQ, 0, d.DinQ - 1) : -1;
    KeepFontInChildren(this);
}

int frmPr::PrSetDataIn(PrSetData& d, PrintOutputChoice& output) {
    m_confirmed = false;
    setWindowTitle(qs(d.ttl));
    build(d, output);
    adjustSize();

    QScreen* scr = QGuiApplication::primaryScreen();
    const QRect screen = scr ? scr->availableGeometry() : QRect(0, 0, 1024, 768);
    if (d.x == 0 && d.y == 0) {
        move(screen.x() + (screen.width() - width()) / 2, screen.y() + (screen.height() - height()) / 2);
    } else if (d.x < 1 && d.y != 0 && g_lastPosition.x() >= 0) {
        move(g_lastPosition);
    } else {
        move(d.x / 15, d.y / 15);
    }
    exec();
    if (!m_confirmed) return -1;
    g_lastPosition = pos();
    for (size_t i = 0; i < m_txtData.size(); ++i) {
        if (i < d.dates.size())
            d.dates[i] = utf8(m_txtData[i]->text());
        else
            d.dates.push_back(utf8(m_txtData[i]->text()));
    }
    d.dt2 = {utf8(m_txtTitle->text()), utf8(m_txtUsr->text()), utf8(m_txtPos[0]->text()), utf8(m_txtPos[1]->text())};
    d.OptNm = m_optPPsize[1]->isChecked() ? 1 : 0;
    output.pdf = m_cboOut->currentIndex() == m_cboOut->count() - 1;
    output.printerName = output.pdf ? QString() : m_cboOut->currentText();
    output.preview = m_preview;
    return 0;
}

void frmPr::confirm(bool preview) {
    m_confirmed = true;
    m_preview = preview;
    AppHelp().CloseAllHelp();
    accept();
}

void frmPr::cancel() {
    m_confirmed = false;
    AppHelp().CloseAllHelp();
    reject();
}

void frmPr::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // The caret of the first date box and of the first field stands after the third character.
    QTimer::singleShot(0, this, [this] {
        QLineEdit* first = m_firstBox >= 0 ? m_txtData[m_firstBox] : m_txtTitle;
        if (!m_txtData.empty()) {
            m_txtData[0]->deselect();
            m_txtData[0]->setCursorPosition(std::min<int>(3, static_cast<int>(m_txtData[0]->text().size())));
        }
        first->setFocus();
        first->deselect();
        first->setCursorPosition(m_firstBox >= 0 ? std::min<int>(3, static_cast<int>(first->text().size()))
                                                 : static_cast<int>(first->text().size()));
    });
}

bool frmPr::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    if (qobject_cast<QLineEdit*>(watched)) {
        // Enter, Up and Down move between the fields in both key input modes.
        if (isEnter(key->key()) || key->key() == Qt::Key_Down) {
            focusNextChild();
            return true;
        }
        if (key->key() == Qt::Key_Up) {
            focusPreviousChild();
            return true;
        }
        return false;
    }
    const bool paper = watched == m_optPPsize[0] || watched == m_optPPsize[1];
    if (paper && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_Left ||
                  key->key() == Qt::Key_Right)) {
        // The two options stand side by side: every arrow key chooses the other one.
        QRadioButton* other = watched == m_optPPsize[0] ? m_optPPsize[1] : m_optPPsize[0];
        other->setChecked(true);
        other->setFocus(Qt::TabFocusReason);
        return true;
    }
    if ((paper || watched == m_cboOut) && isEnter(key->key())) {
        // The second paper option is skipped: the pair is one field.
        if (paper)
            m_cboOut->setFocus(Qt::TabFocusReason);
        else
            focusNextChild();
        return true;
    }
    return false;
}

void frmPr::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F4 && (e->modifiers() & Qt::AltModifier)) {
        if (AppHelp().HelpShown()) {
            AppHelp().CloseAllHelp();
            return;
        }
        cancel();
        return;
    }
    switch (e->key()) {
    case Qt::Key_Escape:
        cancel();
        return;
    case Qt::Key_F1:
        AppHelp().ShowHelpTopic(HelpFile::Sub, 600);
        return;
    case Qt::Key_F12:
        confirm(false);
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

void frmPr::closeEvent(QCloseEvent* e) {
    if (!m_confirmed) AppHelp().CloseAllHelp();
    QDialog::closeEvent(e);
}

int QtPrintSettingsForm::PrSetDataIn(PrSetData& data) {
    frmPr dlg(m_owner, m_keyInputMode);
    return dlg.PrSetDataIn(data, m_output);
}

} // namespace mrt
