#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mrt {

class Dialogs;

// Item kinds (`ItemKind`).
constexpr int kIncomeKind = 0;
constexpr int kExpenseKind = 1;
// Maximum number of items per kind: 20 income, 50 expense.
inline constexpr int ItemMax[2] = {20, 50};
// Maximum number of names in one breakdown or shop list.
constexpr int kNameMax = 50;
// ItemKey runs 1..70: income slot 1..20, expense 20 + slot 1..50.
constexpr int kItemKeyMax = 70;

// Byte widths in CP932. Item names have no field of their own in the table file, but a ledger
// line stores its item name in 20 bytes, so names are kept within that width.
constexpr int kItemTextBytes = 20;
constexpr int kBrkDnTextBytes = 40;
constexpr int kShopTextBytes = 30;
// Record sizes: count (2) + order (50 × 2) + 50 names of 40 or 30 bytes.
constexpr int kBrkDnRecordBytes = 2 + 2 * kNameMax + kNameMax * kBrkDnTextBytes; // 2102
constexpr int kShopRecordBytes = 2 + 2 * kNameMax + kNameMax * kShopTextBytes;   // 1602

inline constexpr const char* kItemFileName = "TBITEM.mrt";
inline constexpr const char* kBrkDnFileName = "TBBRKDN.mrt";
inline constexpr const char* kShopFileName = "TBSHOP.mrt";

// The display-only first entry of a choice list ("no name"); never stored in a table.
inline constexpr const char* kNoneEntry = "（入力なし）";

// Which table an edit acts on; the numbers are those of QuickAddName's `which`.
constexpr int kItemTable = 0;  // kindOrKey is the ItemKind
constexpr int kBrkDnTable = 1; // kindOrKey is the ItemKey
constexpr int kShopTable = 2;  // kindOrKey is the ItemKey

// The item table. Arrays are indexed 1-based as the positions and slots are; index 0 is unused.
// Only positions/slots 1..ItemMax[kind] are used. ItemOrder[kind][1..ItemCount] are the listed
// slots in display order, the positions after them the free slots (a permutation of 1..ItemMax).
struct ItemRecord {
    std::array<int16_t, 2> ItemCount{};
    std::array<std::array<int16_t, kNameMax + 1>, 2> ItemOrder{};
    std::array<std::array<std::string, kNameMax + 1>, 2> ItemText{}; // UTF-8, by slot

    ItemRecord(); // no items, order 1..ItemMax
};

// One breakdown or shop list: NameOrder[1..NameCount] are the listed slots in display order,
// the rest the free slots (always a permutation of 1..50). NameText is UTF-8 without trailing
// blanks, within 40 (breakdown) or 30 (shop) CP932 bytes.
struct NameListRecord {
    int16_t NameCount = 0;
    std::array<int16_t, kNameMax + 1> NameOrder{};
    std::array<std::string, kNameMax + 1> NameText{};

    NameListRecord(); // empty list, order 1..50
};
using BrkDnRecord = NameListRecord;
using ShopRecord = NameListRecord;

// The list given to a key that its file does not hold yet: "その他" alone, order 1..50.
NameListRecord DefaultNameList();

// The three name tables, owned by the program for the whole run. brkDn and shop are indexed
// by ItemKey 1..70 (index 0 unused).
struct NameTables {
    ItemRecord items;
    std::array<BrkDnRecord, kItemKeyMax + 1> brkDn{};
    std::array<ShopRecord, kItemKeyMax + 1> shop{};
};

// The three file paths of a data folder, letter case resolved against existing files.
struct NameFilePaths {
    std::string item, brkDn, shop;
};
NameFilePaths NameFilesIn(const std::string& dataFolder);

// ---- Files. Paths are resolved without regard to letter case. ----

// 0 read; 1 no file (tables unchanged); -1 unreadable, ended early, followed by more values than
// the 141, not CP932 text (a file saved as UTF-8 included) or inconsistent (counts out of range,
// an order that is not a permutation); the tables are unchanged on -1 as well, and `why`, when
// given, receives the file name and the reason.
int LoadItemTable(const std::string& path, NameTables& t, std::string* why = nullptr);
// Writes the 141 CR LF lines; when both counts are 0 the file is removed instead.
// 0 done; -1 failed after the message through `dlg` (the old file then stays as it was).
int SaveItemTable(const std::string& path, const NameTables& t, Dialogs& dlg);

// 0 read; 1 no file (unchanged); -1 unreadable, of a size that is not a whole number of records
// up to 70, or inconsistent (an order that is not a permutation, a name that is not CP932); the
// tables are unchanged and `why` (when given) receives the file name and reason. Keys the file does
// not hold yet get DefaultNameList(); with completeOnDisk the file is at once rewritten whole
// with them, so it always ends up with 70 records (a failed rewrite is -1).
int LoadBrkDnTable(const std::string& path, NameTables& t, bool completeOnDisk = true, std::string* why = nullptr);
int LoadShopTable(const std::string& path, NameTables& t, bool completeOnDisk = true, std::string* why = nullptr);

// Reads the three tables of a data folder without changing any file and returns one line per
// table that the loaders refuse ("TBITEM.mrt: reason"); empty when all three load.
std::vector<std::string> CheckNameFiles(const NameFilePaths& files);
// Write all 70 records. 0 or -1 after the message.
int SaveBrkDnTable(const std::string& path, const NameTables& t, Dialogs& dlg);
int SaveShopTable(const std::string& path, const NameTables& t, Dialogs& dlg);
// Replace the record of one key (1..70) and keep the others as the file holds them (records
// the file lacks are taken from memory). The whole file is rewritten atomically. 0 or -1.
int SaveBrkDnRecord(const std::string& path, int key, const NameTables& t, Dialogs& dlg);
int SaveShopRecord(const std::string& path, int key, const NameTables& t, Dialogs& dlg);

// Record ↔ its 2102 / 1602 file bytes.
std::string EncodeNameList(const NameListRecord& rec, int nameBytes);
// False when the bytes are too short, the count/order are inconsistent or a name is not CP932
// (a double-byte character cut at the field's end is allowed and dropped).
bool DecodeNameList(std::string_view bytes, int nameBytes, NameListRecord& rec);

// ---- Keys and lists. Positions are 1-based table positions. ----

// ItemOrder[kind][position] + 20 × kind; -1 for a kind or position outside the table.
int ItemKeyOf(const NameTables& t, int kind, int position);
// ItemOrder[kind][position], or -1 when position is outside 1..ItemMax[kind].
int ItemSlotAt(const NameTables& t, int kind, int position);

// The choice lists: the listed names in display order without trailing blanks, preceded by
// "（入力なし）" when withNone. A key outside 1..70 gives no names.
std::vector<std::string> FillItemList(const NameTables& t, int kind, bool withNone);
std::vector<std::string> FillBrkDnList(const NameTables& t, int key, bool withNone);
std::vector<std::string> FillShopList(const NameTables& t, int key, bool withNone);

// 0-based index of the first entry equal (trailing blanks ignored) to NulToBlankTrim(text);
// -1 when the text is empty or not listed.
int FindListEntry(const std::vector<std::string>& list, std::string_view text);
// Position of the item of that kind named `name` in the combined list (income items first):
// position within the kind + ItemCount[0] × kind; 0 when the name is empty or not registered.
int FindItemPosition(const NameTables& t, std::string_view name, int kind);

// ---- Edits in memory (the registration window's work operations). ----

// Empty when the name can be stored; otherwise the message to show. Refused: an empty name,
// "（入力なし）", control characters, characters CP932 cannot hold, and for items the double
// quotation mark '"' (the item file quotes names and has no escape for it).
std::string CheckNameText(int which, std::string_view name);
// The name as it will be stored: trailing blanks removed, cut to the table's byte width on a
// character boundary.
std::string StoredNameText(int which, std::string_view name);
// Number of names in the list, its maximum; -1 for an unknown table, kind or key.
int NameListCount(const NameTables& t, int which, int kindOrKey);
int NameListMax(int which, int kindOrKey);
// "これ以上登録できません。(最大" + max + "ﾃﾞｰﾀ)" + line break + "不要なデータを削除してください。"
std::string NameListFullMessage(int which, int kindOrKey);

// Appends the name at the end of the list in the first free slot (the one freed last).
// Returns its new 1-based position; -1 when the list is full, the table/kind/key is unknown or
// the name is refused (then *error, when given, receives CheckNameText's message).
int AddName(NameTables& t, int which, int kindOrKey, std::string_view name, std::string* error = nullptr);
// The slot at that position receives the name; the order stays. 0 done, -1 refused/invalid.
int RenameName(NameTables& t, int which, int kindOrKey, int position, std::string_view name,
               std::string* error = nullptr);
// Removes the entry; its slot becomes the first free one and keeps its text (and, for an
// item, its key's breakdown and shop lists). Returns the position to select afterwards (the
// same position, or the last one when the last entry went; 0 when the list is now empty),
// -1 for an invalid position. Deleting the last entry is the caller's to refuse.
int DeleteName(NameTables& t, int which, int kindOrKey, int position);
// Swaps the entry with its neighbour: direction -1 up, +1 down. Returns the entry's new
// position, or 0 when nothing moved (top/bottom or invalid); the caller beeps then.
int MoveName(NameTables& t, int which, int kindOrKey, int position, int direction);

// The ledger screen's registration of a typed name: AddName, then the changed table is written
// at once (SaveItemTable, or SaveBrkDnRecord / SaveShopRecord for the one record).
// 0 added and written; 1 the list is full: nothing added, nothing written, no message (the
// caller may show NameListFullMessage); -1 the name was refused (its message shown with MsgOK)
// or the write failed (message shown; the addition is undone in memory).
int QuickAddName(NameTables& t, const NameFilePaths& files, int which, int kindOrKey, std::string_view name,
                 Dialogs& dlg);

} // namespace mrt
