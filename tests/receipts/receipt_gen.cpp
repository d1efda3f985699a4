// Renders synthetic Japanese receipts with their ground truth, for the reading tests and the
// accuracy benchmark. Deterministic: the same seed and count always give the same images.
//
//   mrtkel_receipt_gen OUTDIR [COUNT] [SEED]
//
// Writes OUTDIR/rNNN-clean.png and OUTDIR/rNNN-degraded.png (rotated, blurred, noised, shaded)
// and OUTDIR/rNNN.truth (key=value lines: shop, date, total, per-rate amounts tax included, tax per
// rate, T-number and whether its check digit holds).
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <QTransform>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rng {
    uint64_t s;
    uint32_t next() {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return uint32_t(s >> 33);
    }
    int below(int n) { return int(next() % uint32_t(n)); }
    double unit() { return next() / 2147483648.0; }
};

struct Item {
    QString name;
    int price; // as printed: tax included (内税) or excluded (外税)
    bool reduced;
};

const char* const kShops[] = {"スーパーみどり 本町店",   "ドラッグあおば", "まるやま商店",         "ベーカリー麦の穂",
                              "コンビニひまわり 駅前店", "やおや八百政",   "ホームセンターかえで", "さくら精肉店"};
const char* const kFood[] = {"ｷﾞｭｳﾆｭｳ", "食パン",   "たまご10個", "ﾄﾏﾄ",    "鶏むね肉",   "ﾊﾞﾅﾅ",   "豆腐",  "納豆3P",
                             "ﾖｰｸﾞﾙﾄ",  "キャベツ", "にんじん",   "ｺｰﾋｰ豆", "おにぎり鮭", "ﾁｮｺﾚｰﾄ", "りんご"};
const char* const kGoods[] = {"ﾃｨｯｼｭ5箱", "洗剤", "ｺﾞﾐ袋45L", "歯ブラシ", "ｼｬﾝﾌﾟｰ", "電池単3", "ﾗｯﾌﾟ", "乾電池"};
const char* const kMarks[] = {"※", "＊", "軽"};
const char* const kFonts[] = {"IPAGothic", "Noto Sans CJK JP", "IPAPGothic", "IPAMincho"};

// A corporate number's check digit: 9 - (sum of the 12 digits weighted 1,2,1,2... from the right) mod 9.
int checkDigit(const std::string& twelve) {
    int sum = 0;
    for (int n = 1; n <= 12; ++n)
        sum += (twelve[12 - n] - '0') * (n % 2 ? 1 : 2);
    return 9 - sum % 9;
}

QString yen(int v) {
    return QStringLiteral("¥") + QLocale(QLocale::English).toString(v);
}

struct Receipt {
    QString shop;
    int y, m, d, hh, mm;
    int dateStyle;
    bool inclusive;
    std::vector<Item> items;
    int base8 = 0, base10 = 0, tax8 = 0, tax10 = 0, total = 0;
    QString tnumber;
    bool tvalid;
    int payment; // 0 cash, 1 credit, 2 e-money
    int markStyle;
};

Receipt makeReceipt(Rng& r, int index) {
    Receipt rc;
    rc.shop = QString::fromUtf8(kShops[r.below(8)]);
    rc.y = 2025 + r.below(2);
    rc.m = 1 + r.below(12);
    rc.d = 1 + r.below(28);
    rc.hh = 8 + r.below(13);
    rc.mm = r.below(60);
    rc.dateStyle = r.below(3);
    rc.inclusive = r.below(2) == 0;
    rc.markStyle = r.below(3);
    const int n = 3 + r.below(6);
    for (int i = 0; i < n; ++i) {
        const bool reduced = r.below(3) != 0;
        Item it;
        it.reduced = reduced;
        it.name = QString::fromUtf8(reduced ? kFood[r.below(15)] : kGoods[r.below(8)]);
        it.price = (48 + r.below(60) * 10 + (r.below(2) ? 8 : 0));
        rc.items.push_back(it);
    }
    int sum8 = 0, sum10 = 0;
    for (const Item& it : rc.items)
        (it.reduced ? sum8 : sum10) += it.price;
    if (rc.inclusive) {
        rc.tax8 = sum8 * 8 / 108;
        rc.tax10 = sum10 * 10 / 110;
        rc.base8 = sum8;
        rc.base10 = sum10;
        rc.total = sum8 + sum10;
    } else {
        rc.base8 = sum8;
        rc.base10 = sum10;
        rc.tax8 = sum8 * 8 / 100;
        rc.tax10 = sum10 * 10 / 100;
        rc.total = sum8 + sum10 + rc.tax8 + rc.tax10;
    }
    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += char('0' + r.below(10));
    int cd = checkDigit(twelve);
    rc.tvalid = index % 7 != 3; // about one in seven with a wrong check digit
    if (!rc.tvalid) cd = (cd + 1 + r.below(8)) % 10 == cd ? (cd + 1) % 10 : (cd + 1 + r.below(8)) % 10;
    if (!rc.tvalid && cd == checkDigit(twelve)) cd = (cd + 1) % 10;
    rc.tnumber = QStringLiteral("T") + QString::number(cd) + QString::fromStdString(twelve);
    rc.payment = r.below(3);
    return rc;
}

struct Line {
    QString left, right;
    bool big = false;
    bool center = false;
};

std::vector<Line> layout(const Receipt& rc) {
    std::vector<Line> L;
    L.push_back({rc.shop, {}, true, true});
    L.push_back(
        {QStringLiteral("TEL 03-%1-%2").arg(1000 + (rc.d * 37) % 9000).arg(1000 + rc.mm * 71), {}, false, true});
    L.push_back({QStringLiteral("登録番号 ") + rc.tnumber, {}, false, true});
    QString date;
    const QString time =
        QStringLiteral("%1:%2").arg(rc.hh, 2, 10, QLatin1Char('0')).arg(rc.mm, 2, 10, QLatin1Char('0'));
    if (rc.dateStyle == 0)
        date = QStringLiteral("%1年%2月%3日")
                   .arg(rc.y)
                   .arg(rc.m, 2, 10, QLatin1Char('0'))
                   .arg(rc.d, 2, 10, QLatin1Char('0'));
    else if (rc.dateStyle == 1)
        date = QStringLiteral("令和%1年%2月%3日").arg(rc.y - 2018).arg(rc.m).arg(rc.d);
    else
        date =
            QStringLiteral("%1/%2/%3").arg(rc.y).arg(rc.m, 2, 10, QLatin1Char('0')).arg(rc.d, 2, 10, QLatin1Char('0'));
    L.push_back({date + QStringLiteral(" ") + time, {}, false, false});
    L.push_back({QStringLiteral("レジ%1 No.%2").arg(1 + rc.mm % 4).arg(1000 + rc.d * rc.hh), {}});
    const QString mark = QString::fromUtf8(kMarks[rc.markStyle]);
    for (const Item& it : rc.items)
        L.push_back({(it.reduced && rc.markStyle == 2 ? mark : QString()) + it.name,
                     yen(it.price) + (it.reduced && rc.markStyle != 2 ? mark : QStringLiteral("  "))});
    const int sub = rc.base8 + rc.base10;
    L.push_back({QStringLiteral("小計"), yen(sub)});
    if (rc.inclusive) {
        if (rc.base8) {
            L.push_back({QStringLiteral("(8%対象"), yen(rc.base8) + QStringLiteral(")")});
            L.push_back({QStringLiteral("(内消費税等 8%"), yen(rc.tax8) + QStringLiteral(")")});
        }
        if (rc.base10) {
            L.push_back({QStringLiteral("(10%対象"), yen(rc.base10) + QStringLiteral(")")});
            L.push_back({QStringLiteral("(内消費税等 10%"), yen(rc.tax10) + QStringLiteral(")")});
        }
    } else {
        if (rc.base8) L.push_back({QStringLiteral("8%対象"), yen(rc.base8)});
        if (rc.base10) L.push_back({QStringLiteral("10%対象"), yen(rc.base10)});
        if (rc.base8) L.push_back({QStringLiteral("外税 8%"), yen(rc.tax8)});
        if (rc.base10) L.push_back({QStringLiteral("外税 10%"), yen(rc.tax10)});
    }
    L.push_back({QStringLiteral("合計"), yen(rc.total), true});
    if (rc.payment == 0) {
        const int paid = (rc.total / 1000 + 1) * 1000;
        L.push_back({QStringLiteral("お預り"), yen(paid)});
        L.push_back({QStringLiteral("お釣り"), yen(paid - rc.total)});
    } else if (rc.payment == 1) {
        L.push_back({QStringLiteral("クレジット"), yen(rc.total)});
    } else {
        L.push_back({QStringLiteral("電子マネー"), yen(rc.total)});
    }
    if (rc.base8)
        L.push_back({rc.markStyle == 2 ? QStringLiteral("軽は軽減税率対象商品です")
                                       : mark + QStringLiteral("は軽減税率対象商品です"),
                     {}});
    L.push_back({QStringLiteral("お買い上げありがとうございます"), {}, false, true});
    return L;
}

QImage render(const std::vector<Line>& lines, const QString& family, int px) {
    QFont f(family);
    f.setPixelSize(px);
    QFont big(family);
    big.setPixelSize(px * 4 / 3);
    big.setBold(true);
    const int width = px * 22;
    const int lineH = px * 3 / 2;
    const int height = int(lines.size() + 2) * lineH + px * 4;
    QImage img(width, height, QImage::Format_Grayscale8);
    img.fill(255);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(Qt::black);
    int y = px * 2;
    for (const Line& l : lines) {
        p.setFont(l.big ? big : f);
        const int h = l.big ? lineH * 4 / 3 : lineH;
        const QRect row(px, y, width - 2 * px, h);
        if (l.center) {
            p.drawText(row, Qt::AlignHCenter | Qt::AlignVCenter, l.left);
        } else {
            p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, l.left);
            if (!l.right.isEmpty()) p.drawText(row, Qt::AlignRight | Qt::AlignVCenter, l.right);
        }
        y += h;
    }
    return img;
}

// The paper photographed: on a darker desk, turned a few degrees, softened, with sensor noise and a
// shadow across one side.
QImage degrade(const QImage& paper, Rng& r) {
    const double angle = (r.unit() * 2 - 1) * 4.0;
    const int margin = paper.width() / 6;
    QImage desk(paper.width() + 2 * margin, paper.height() + 2 * margin, QImage::Format_Grayscale8);
    desk.fill(90 + r.below(40));
    {
        QPainter p(&desk);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(desk.width() / 2.0, desk.height() / 2.0);
        p.rotate(angle);
        p.drawImage(QPointF(-paper.width() / 2.0, -paper.height() / 2.0), paper);
    }
    const double blur = 0.6 + r.unit() * 0.2;
    QImage soft = desk.scaled(int(desk.width() * blur), int(desk.height() * blur), Qt::IgnoreAspectRatio,
                              Qt::SmoothTransformation)
                      .scaled(desk.width(), desk.height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double shade = 40 + r.unit() * 40;
    for (int y = 0; y < soft.height(); ++y) {
        uchar* row = soft.scanLine(y);
        for (int x = 0; x < soft.width(); ++x) {
            const double s = shade * x / soft.width();
            const double noise = (r.unit() + r.unit() + r.unit() - 1.5) * 24;
            row[x] = uchar(std::clamp(row[x] - s + noise, 0.0, 255.0));
        }
    }
    return soft;
}

void writeTruth(const QString& path, const Receipt& rc) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    QTextStream t(&f);
    const int incl8 = rc.inclusive ? rc.base8 : rc.base8 + rc.tax8;
    const int incl10 = rc.inclusive ? rc.base10 : rc.base10 + rc.tax10;
    t << "shop=" << rc.shop << "\n";
    t << "date="
      << QStringLiteral("%1%2%3").arg(rc.y).arg(rc.m, 2, 10, QLatin1Char('0')).arg(rc.d, 2, 10, QLatin1Char('0'))
      << "\n";
    t << "total=" << rc.total << "\n";
    t << "rate8=" << incl8 << "\n"
      << "rate10=" << incl10 << "\n";
    t << "tax8=" << rc.tax8 << "\n"
      << "tax10=" << rc.tax10 << "\n";
    t << "tnumber=" << rc.tnumber << "\n"
      << "tvalid=" << (rc.tvalid ? 1 : 0) << "\n";
    t << "inclusive=" << (rc.inclusive ? 1 : 0) << "\n"
      << "items=" << rc.items.size() << "\n";
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: mrtkel_receipt_gen OUTDIR [COUNT] [SEED]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const int count = argc > 2 ? std::atoi(argv[2]) : 40;
    Rng r{argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20261207ULL};
    QDir().mkpath(out);
    const int sizes[] = {22, 28, 34};
    for (int i = 0; i < count; ++i) {
        const Receipt rc = makeReceipt(r, i);
        const QString family = QString::fromUtf8(kFonts[i % 4]);
        const QImage clean = render(layout(rc), family, sizes[(i / 4) % 3]);
        const QString stem = QStringLiteral("%1/r%2").arg(out).arg(i, 3, 10, QLatin1Char('0'));
        if (!clean.save(stem + QStringLiteral("-clean.png"))) return 1;
        if (!degrade(clean, r).save(stem + QStringLiteral("-degraded.jpg"), "JPEG", 85)) return 1;
        writeTruth(stem + QStringLiteral(".truth"), rc);
    }
    return 0;
}
