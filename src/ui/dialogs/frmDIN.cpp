#include "ui/dialogs/frmDIN.h"

#include "ui/dialogs/Desktop.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/KeyInputFilter.h"
#include "ui/dialogs/WindowKeeper.h"
#include "util/DateText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace mrt {

namespace {

const QColor kHintColor(112, 134, 85);
constexpr int kBottomStrip = 25; // 375 twips left free of the background picture

// Where the dialog was last closed; (-1, -1) before the first close.
QPoint g_lastPosition(-1, -1);

bool allDigits(const QString& s) {
    if (s.isEmpty()) return false;
    for (QChar ch : s)
        if (ch < u'0' || ch > u'9') return false;
    return true;
}

QString padded(const QString& s, int width) {
    return s.rightJustified(width, u'0');
}

// A date text cut into its parts: year (2 or 4 characters), month, day, separator.
struct DateParts {
    QString year, month, day, sep = QStringLiteral("/");
    int yearWidth = 4;
};

DateParts splitDate(const QString& in, bool withDay) {
    DateParts p;
    const int fullLen = withDay ? 10 : 7;
    const int shortLen = withDay ? 8 : 5;
    if (in.size() == fullLen || in.size() == shortLen) {
        p.yearWidth = in.size() == fullLen ? 4 : 2;
        p.year = in.left(p.yearWidth);
        p.sep = in.mid(p.yearWidth, 1);
        p.month = in.mid(p.yearWidth + 1, 2);
        if (withDay) p.day = in.mid(p.yearWidth + 4, 2);
    }
    return p;
}

} // namespace

frmDIN::frmDIN(QWidget* owner, int keyInputMode) : QDialog(owner), m_keyInputMode(keyInputMode) {
    setFont(UiFont(PGothicFace(), 10));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_msg = new QLabel(this);
    m_msg->setTextFormat(Qt::PlainText);
    m_hint = new QLabel(this);
    m_hint->setAlignment(Qt::AlignCenter);
    QPalette hp = m_hint->palette();
    hp.setColor(QPalette::WindowText, kHintColor);
    m_hint->setPalette(hp);
    m_ok = new QPushButton(this);
    m_cancel = new QPushButton(this);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        m_cancelled = false;
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        reject();
    });
}

QLineEdit* frmDIN::Field(int i) const {
    return i >= 0 && i < static_cast<int>(m_fields.size()) ? m_fields[i] : nullptr;
}

void frmDIN::SetDinColor(int dinQ, const QColor& col1, const QColor& col2, const QColor& col3) {
    m_background = col1;
    QPalette p = palette();
    p.setColor(QPalette::Window, col1);
    setPalette(p);
    setAutoFillBackground(true);
    for (int i = 0; i < dinQ && i < static_cast<int>(m_labels.size()); ++i) {
        QPalette lp = m_labels[i]->palette();
        lp.setColor(QPalette::Window, col2);
        m_labels[i]->setPalette(lp);
        m_labels[i]->setAutoFillBackground(true);
    }
    const QString style =
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2; border-radius: 3px; padding: 2px; }"
                       "QPushButton:focus { border: 2px solid %3; }")
            .arg(col3.name(), col3.darker(150).name(), col3.darker(260).name());
    m_ok->setStyleSheet(style);
    m_cancel->setStyleSheet(style);
}

void frmDIN::layoutFields(const QStringList& names, const QStringList& values, int colQ,
                          const std::vector<int>& maxLengths) {
    const int n = static_cast<int>(names.size());
    while (static_cast<int>(m_fields.size()) < n) {
        auto* label = new QLabel(this);
        label->setAlignment(Qt::AlignCenter);
        auto* edit = new QLineEdit(this);
        SetDirectInput(edit);
        (new KeyInputFilter(m_keyInputMode, true, this))->attach(edit);
        m_labels.push_back(label);
        m_fields.push_back(edit);
    }
    for (int i = n; i < static_cast<int>(m_fields.size()); ++i) {
        m_labels[i]->hide();
        m_fields[i]->hide();
    }
    KeepFontInChildren(this);

    const QFontMetrics fm(font());
    const int kw = fm.horizontalAdvance(QString::fromUtf8("漢"));
    const int lh = fm.height();
    const int margin = kw;
    colQ = std::max(colQ, 1);

    int y = margin;
    const QSize msgSize = fm.size(0, m_msg->text().isEmpty() ? QStringLiteral(" ") : m_msg->text());
    m_msg->setGeometry(margin + kw, y, msgSize.width() + 2, msgSize.height()); // room for the ball
    y += msgSize.height() + lh / 2;

    const int fieldH = lh + 10;
    int firstRowW = 0;
    int x = margin;
    QWidget* prev = nullptr;
    for (int i = 0; i < n; ++i) {
        if (i > 0 && i % colQ == 0) {
            x = margin;
            y += fieldH + lh / 3;
        }
        const int maxLen = i < static_cast<int>(maxLengths.size()) ? maxLengths[i] : 0;
        const int chars = std::max<int>(maxLen > 0 ? maxLen : static_cast<int>(values.value(i).size()), 2);
        const int labelW = std::max(fm.horizontalAdvance(names[i]) + kw, 2 * kw);
        const int editW = (chars + 1) * fm.horizontalAdvance(u'0') + 12;
        m_labels[i]->setText(names[i]);
        m_labels[i]->setGeometry(x, y, labelW, fieldH);
        m_fields[i]->setMaxLength(maxLen > 0 ? maxLen : 32767);
        m_fields[i]->setText(values.value(i));
        m_fields[i]->setGeometry(x + labelW + 2, y, editW, fieldH);
        m_labels[i]->show();
        m_fields[i]->show();
        x += labelW + 2 + editW + kw;
        if (i < colQ) firstRowW = x - kw;
        if (prev) setTabOrder(prev, m_fields[i]);
        prev = m_fields[i];
    }
    if (prev) {
        setTabOrder(prev, m_ok);
        setTabOrder(m_ok, m_cancel);
    }
    y += fieldH + lh;

    const int bw = std::max(fm.horizontalAdvance(m_ok->text()), fm.horizontalAdvance(m_cancel->text())) + 2 * kw;
    const int bh = lh + 12;
    const int width = std::max({firstRowW + margin, margin + kw + msgSize.width() + margin, 2 * bw + 3 * kw,
                                fm.horizontalAdvance(m_hint->text()) + 2 * margin});
    m_ok->setGeometry(width / 2 - kw / 2 - bw, y, bw, bh);
    m_cancel->setGeometry(width / 2 + kw / 2, y, bw, bh);
    y += bh + lh / 3;
    m_hint->setGeometry(margin / 2, y, width - margin, lh);
    y += lh + lh / 2;
    setFixedSize(width, std::max(y, kBottomStrip + 2 * lh));
}

int frmDIN::DataInXDate(const QStringList& names, QStringList& values, const QString& msg, const QString& ttl,
                        const QString& cmd1, const QString& cmd2, int x, int y, int colQ,
                        const std::vector<int>& maxLengths) {
    m_cancelled = true;
    m_msg->setText(msg);
    setWindowTitle(ttl);
    m_ok->setText(cmd1);
    m_cancel->setText(cmd2);
    const bool dosType = m_keyInputMode != 0;
    m_hint->setText(dosType ? QString::fromUtf8("（ [Enter]で移動：[Esc]で中止 ）")
                            : QString::fromUtf8("（ [Tab]で移動して[Enter]を押す：[Esc]で中止 ）"));
    // Windows type: Enter confirms. DOS type: Enter moves between the fields (the key filter)
    // and presses a button only when the button has the focus.
    m_ok->setAutoDefault(true);
    m_cancel->setAutoDefault(true);
    m_ok->setDefault(!dosType);
    layoutFields(names, values, colQ, maxLengths);
    SetDinColor(static_cast<int>(names.size()), QColor(208, 218, 208), QColor(224, 234, 224), QColor(176, 202, 153));

    if (x == 0 && y == 0) {
        CentreOnScreen(this);
    } else if (x < 1 && g_lastPosition.x() >= 0) {
        move(g_lastPosition);
    } else {
        move(x / 15, y / 15);
    }

    QApplication::beep();
    exec();
    g_lastPosition = pos();
    if (m_cancelled) return -1;
    for (int i = 0; i < names.size(); ++i) {
        if (i < values.size())
            values[i] = m_fields[i]->text();
        else
            values.append(m_fields[i]->text());
    }
    return 0;
}

void frmDIN::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // The caret of the first field stands after its third character (the year's last digit).
    // Set once showing is over: the dialog's first focus-in selects the whole text.
    QTimer::singleShot(0, this, [this] {
        if (QLineEdit* first = Field(0); first && first->isVisible()) {
            first->setFocus();
            first->deselect();
            first->setCursorPosition(std::min<int>(3, static_cast<int>(first->text().size())));
        }
    });
}

void frmDIN::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        m_cancelled = true;
        reject();
        return;
    }
    QDialog::keyPressEvent(e);
}

void frmDIN::closeEvent(QCloseEvent* e) {
    m_cancelled = true;
    QDialog::closeEvent(e);
}

void frmDIN::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Background picture: a soft gradient over the window less the bottom strip.
    QLinearGradient g(0, 0, 0, height() - kBottomStrip);
    g.setColorAt(0, m_background.lighter(108));
    g.setColorAt(1, m_background.darker(104));
    p.fillRect(QRect(0, 0, width(), height() - kBottomStrip), g);
    // The small decorative ball left of the message line.
    const QFontMetrics fm(font());
    const int d = fm.height() / 2;
    QRadialGradient ball(m_msg->x() - d, m_msg->y() + d - d / 3, d);
    ball.setColorAt(0, QColor(200, 240, 200));
    ball.setColorAt(1, QColor(60, 140, 70));
    p.setPen(Qt::NoPen);
    p.setBrush(ball);
    p.drawEllipse(QPoint(m_msg->x() - d - 2, m_msg->y() + fm.height() / 2), d / 2 + 2, d / 2 + 2);
}

int frmDIN::DateInYMD(const QString& msg, const QString& in, QString& out) {
    DateParts p = splitDate(in, true);
    QStringList values{p.year, p.month, p.day};
    const QStringList names{QString::fromUtf8("年"), QString::fromUtf8("月"), QString::fromUtf8("日")};
    for (;;) {
        if (DataInXDate(names, values, msg, QString::fromUtf8("日付入力"), QString::fromUtf8(" 入力確定 "),
                        QString::fromUtf8(" 中 止 "), 0, 0, 3, {p.yearWidth, 2, 2}) != 0)
            return -1;
        values[0] = values[0].trimmed().left(p.yearWidth);
        values[1] = values[1].trimmed().left(2);
        values[2] = values[2].trimmed().left(2);
        if (allDigits(values[0]) && allDigits(values[1]) && allDigits(values[2])) {
            int year = values[0].toInt();
            if (p.yearWidth == 2) year = ExpandTwoDigitYear(year);
            if (IsValidDate(year, values[1].toInt(), values[2].toInt())) {
                out = padded(values[0], p.yearWidth) + p.sep + padded(values[1], 2) + p.sep + padded(values[2], 2);
                return 0;
            }
        }
        QApplication::beep();
    }
}

int frmDIN::DateInYM(const QString& msg, const QString& in, QString& out) {
    DateParts p = splitDate(in, false);
    QStringList values{p.year, p.month};
    const QStringList names{QString::fromUtf8("年"), QString::fromUtf8("月")};
    for (;;) {
        if (DataInXDate(names, values, msg, QString::fromUtf8("日付入力"), QString::fromUtf8(" 入力確定 "),
                        QString::fromUtf8(" 中 止 "), 0, 0, 2, {p.yearWidth, 2}) != 0)
            return -1;
        values[0] = values[0].trimmed().left(p.yearWidth);
        values[1] = values[1].trimmed().left(2);
        if (allDigits(values[0]) && allDigits(values[1])) {
            const int month = values[1].toInt();
            if (month >= 1 && month <= 12) {
                out = padded(values[0], p.yearWidth) + p.sep + padded(values[1], 2);
                return 0;
            }
        }
        QApplication::beep();
    }
}

} // namespace mrt
