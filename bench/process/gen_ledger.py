#!/usr/bin/env python3
"""Writes a household ledger of LINES lines over YEARS years as two files with the same lines:

  OUT/import.csv      the ledger's CSV columns (date,item,note,shop,income,expense), for
                      `mrtkel-tool import --register-items` into a ledger that holds only its
                      initial-balance line;
  OUT/journal.ledger  the same lines as a plain-text journal for the `ledger` program
                      (Expenses:<item> / Income:<item> against Assets:Cash, amounts in JPY).

The ledger holds LINES lines in all: the initial-balance line (made by `mrtkel-tool init`) and
LINES - 1 lines spread evenly over the years. Every month has its salary and other incomes, its
rent, utilities and phone bills and one move to or from the bank that brings the cash back near
its starting level; the rest of a year's lines are everyday expenses spread evenly over its days.
Most items come from the initial name tables; two (ペット費, 副業収入) are new and get registered
by the import.

The output depends only on the arguments: a fixed-seed generator of its own, not `random`, so
that another Python version writes the same bytes.

usage: gen_ledger.py OUT START_YEAR YEARS LINES OPENING_BALANCE
"""

import calendar
import datetime
import os
import sys

SEED = 0x6D72746B656C  # fixed: the same data on every run


class SplitMix64:
    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFFFFFFFFFF

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & 0xFFFFFFFFFFFFFFFF
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
        return z ^ (z >> 31)

    def uniform(self):
        """A float in [0, 1)."""
        return (self.next() >> 11) / float(1 << 53)

    def below(self, n):
        return self.next() % n

    def pick(self, seq):
        return seq[self.below(len(seq))]


# Everyday expenses: (item, weight, notes, shops, lowest amount, highest amount). Amounts are
# drawn log-uniformly between the bounds; an empty shop list leaves the shop blank.
DAILY = [
    ("食費", 38, ["米・パン", "野菜・果物", "肉・魚", "惣菜", "牛乳・卵", "お弁当", "調味料"],
     ["スーパー", "コンビニ", "八百屋", "精肉店", "鮮魚店", "パン屋", "生協", "ｽｰﾊﾟｰﾏﾙｲﾁ", "ＡＢＣストア"],
     98, 4800),
    ("食費", 8, ["外食", "昼食", "喫茶"], ["定食屋", "ラーメン店", "喫茶店", "ﾌｧﾐﾚｽ"], 450, 6000),
    ("日用品", 12, ["洗剤", "ティッシュ・紙類", "台所用品", "電池", "文房具"],
     ["ドラッグストア", "ホームセンター", "百円ショップ", "コンビニ"], 108, 3200),
    ("交通費", 10, ["電車・バス", "ガソリン", "駐車場", "タクシー"],
     ["駅", "ガソリンスタンド", "コインパーキング", "バス営業所"], 140, 6000),
    ("趣味・娯楽", 6, ["書籍", "映画・観劇", "旅行", "音楽", "ゲーム"],
     ["書店", "映画館", "旅行代理店", "レンタル店"], 300, 12000),
    ("衣服費", 4, ["衣料品", "靴", "クリーニング"], ["衣料品店", "靴店", "クリーニング店"], 400, 9800),
    ("医療費", 3, ["診察代", "薬代", "歯科"], ["病院", "薬局", "歯科医院"], 300, 5000),
    ("交際費", 3, ["贈答品", "会費", "冠婚葬祭", "飲み会"], ["", "デパート", "居酒屋"], 1000, 10000),
    ("教育費", 2, ["教材費", "習い事", "参考書"], ["学校", "書店", "教室"], 500, 8000),
    ("通信費", 2, ["郵便・宅配", "切手"], ["郵便局", "宅配便"], 84, 1600),
    ("ペット費", 4, ["ドッグフード", "ペット用品", "トリミング"], ["ペットショップ", "ホームセンター"], 300, 6000),
    ("雑費", 8, ["手数料", "その他", "ゴミ袋", "寄付"], ["", "銀行", "コンビニ"], 100, 2000),
]
DAILY_WEIGHT = sum(d[1] for d in DAILY)

# Lines of every month: (kind, item, note, shop, day or 0 for the month's last day, amount bounds).
MONTHLY = [
    ("in", "給与", "基本給", "勤務先", 25, (395000, 425000)),
    ("in", "副業収入", "原稿料", "出版社", 15, (20000, 60000)),
    ("out", "住居費", "家賃", "大家", 27, (82000, 82000)),
    ("out", "水道光熱費", "電気代", "電力会社", 10, (5200, 14800)),
    ("out", "水道光熱費", "ガス代", "ガス会社", 12, (3100, 9800)),
    ("out", "水道光熱費", "水道代", "水道局", 18, (2800, 4600)),
    ("out", "通信費", "携帯電話", "携帯電話会社", 20, (6800, 8900)),
    ("out", "通信費", "インターネット", "プロバイダ", 22, (5280, 5280)),
    ("out", "保険料", "生命保険", "保険会社", 5, (18500, 18500)),
]
# Lines of some months only: (month, kind, item, note, shop, day, amount bounds).
YEARLY = [
    (6, "in", "賞与", "夏季賞与", "勤務先", 10, (600000, 720000)),
    (12, "in", "賞与", "冬季賞与", "勤務先", 10, (650000, 780000)),
    (2, "in", "利息・配当", "配当金", "証券会社", 20, (3000, 12000)),
    (8, "in", "利息・配当", "普通預金利息", "銀行", 20, (10, 500)),
    (5, "out", "税金", "自動車税", "市役所", 31, (34500, 34500)),
    (6, "out", "税金", "住民税", "市役所", 30, (120000, 160000)),
]
# The month-end move between the purse and the bank.
BANK_LINES_PER_MONTH = 1


def amount(rng, lo, hi):
    if lo == hi:
        return lo
    v = lo * (hi / lo) ** rng.uniform()
    # Most prices are round to ten yen; tax-inclusive ones are not.
    return int(v) if rng.below(4) == 0 else max(lo, int(v) // 10 * 10)


def fixed_lines_in(month):
    return len(MONTHLY) + BANK_LINES_PER_MONTH + sum(1 for y in YEARLY if y[0] == month)


def split_evenly(total, parts):
    base, extra = divmod(total, parts)
    return [base + (1 if i < extra else 0) for i in range(parts)]


def main():
    if len(sys.argv) != 6:
        sys.exit("usage: gen_ledger.py OUT START_YEAR YEARS LINES OPENING_BALANCE")
    out = sys.argv[1]
    start_year, years, lines, opening = (int(a) for a in sys.argv[2:6])
    fixed_per_year = sum(fixed_lines_in(m) for m in range(1, 13))
    per_year = split_evenly(lines - 1, years)
    if min(per_year) < fixed_per_year:
        sys.exit(f"gen_ledger.py: {lines} lines over {years} years leave fewer than the "
                 f"{fixed_per_year} monthly lines of a year")

    rng = SplitMix64(SEED)
    balance = opening
    csv_rows = []
    journal = []
    start = datetime.date(start_year, 1, 1)
    journal.append(f"{start:%Y/%m/%d} 初期残高\n    Assets:Cash  {opening} JPY\n    Equity:Opening Balances\n")

    for yi, year_lines in enumerate(per_year):
        year = start_year + yi
        days_in_year = 366 if calendar.isleap(year) else 365
        daily_count = year_lines - fixed_per_year
        # Everyday lines: the k-th on day floor(k * days / count), so they fill the year evenly.
        daily_per_day = [0] * days_in_year
        for k in range(daily_count):
            daily_per_day[k * days_in_year // daily_count] += 1
        day_of_year = 0
        for month in range(1, 13):
            mdays = calendar.monthrange(year, month)[1]
            month_lines = []  # (day, kind, item, note, shop, amount)
            for kind, item, note, shop, day, (lo, hi) in MONTHLY:
                month_lines.append((min(day, mdays) if day else mdays, kind, item, note, shop, amount(rng, lo, hi)))
            for m, kind, item, note, shop, day, (lo, hi) in YEARLY:
                if m == month:
                    month_lines.append((min(day, mdays), kind, item, note, shop, amount(rng, lo, hi)))
            for d in range(1, mdays + 1):
                for _ in range(daily_per_day[day_of_year]):
                    r = rng.below(DAILY_WEIGHT)
                    for item, weight, notes, shops, lo, hi in DAILY:
                        if r < weight:
                            break
                        r -= weight
                    shop = rng.pick(shops) if rng.below(8) else ""
                    month_lines.append((d, "out", item, rng.pick(notes), shop, amount(rng, lo, hi)))
                day_of_year += 1
            month_lines.sort(key=lambda l: l[0])  # stable: a day's lines keep their order
            for day, kind, item, note, shop, value in month_lines:
                balance += value if kind == "in" else -value
            # The month ends with the cash brought back near the opening balance.
            if balance >= opening:
                value = max(10000, (balance - opening) // 10000 * 10000)
                month_lines.append((mdays, "out", "預金預入れ", "普通預金", "銀行", value))
                balance -= value
            else:
                value = -((balance - opening) // 10000) * 10000
                month_lines.append((mdays, "in", "預金引出し", "普通預金", "銀行", value))
                balance += value

            for day, kind, item, note, shop, value in month_lines:
                income, expense = (value, 0) if kind == "in" else (0, value)
                csv_rows.append(f"{year:04d}-{month:02d}-{day:02d},{item},{note},{shop},{income},{expense}\r\n")
                payee = shop or note
                if kind == "in":
                    accounts = f"    Assets:Cash  {value} JPY\n    Income:{item}\n"
                else:
                    accounts = f"    Expenses:{item}  {value} JPY\n    Assets:Cash\n"
                journal.append(f"{year:04d}/{month:02d}/{day:02d} {payee}\n    ; {note}\n{accounts}")

    if len(csv_rows) != lines - 1:
        sys.exit(f"gen_ledger.py: made {len(csv_rows)} lines instead of {lines - 1}")
    last = csv_rows[-1][:10]
    with open(os.path.join(out, "import.csv"), "w", encoding="utf-8", newline="") as f:
        f.write("date,item,note,shop,income,expense\r\n")
        f.writelines(csv_rows)
    with open(os.path.join(out, "journal.ledger"), "w", encoding="utf-8") as f:
        f.write("\n".join(journal))
    print(f"last_date={last}")
    print(f"closing_balance={balance}")


if __name__ == "__main__":
    main()
