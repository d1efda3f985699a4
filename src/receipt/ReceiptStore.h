#pragma once
#include "receipt/ReceiptLines.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

struct IoRecord;

// Receipt images kept beside the ledger: Data1/Receipts/YYYY/ holds the copies, named by date and
// content hash, and "index.csv" there links each to its lines (date, item, note, shop, amount, the
// image's content hash, its file name), one row per line.
inline constexpr const char* kReceiptFolder = "Receipts";
inline constexpr const char* kReceiptIndexName = "index.csv";

struct KeptReceipt {
    int32_t date = 0; // yyyymmdd
    std::string item, note, shop;
    int64_t amount = 0;
    std::string hash; // 16 hex digits of the image's content hash (FNV-1a, 64 bits)
    std::string file; // name inside the year folder
};

// The content hash of bytes as 16 lower-case hex digits (FNV-1a, 64 bits).
std::string ContentHash(const std::string& bytes);

// Copies the image into the year folder of the lines' date (once per content: the same image kept
// twice is one file) and adds the lines to that year's index; the image first, then the index,
// each written whole. 0 done; -1 failed (`error` says why; the index is unchanged).
int KeepReceiptImage(const std::string& dataFolder, const std::string& imagePath,
                     const std::vector<ProposedLine>& lines, std::string& error);

// The rows of the index of `year`; empty when it has none. False when the index cannot be read.
bool ReadReceiptIndex(const std::string& dataFolder, int year, std::vector<KeptReceipt>& rows);

// The path of the image kept for a ledger expense line (matched by date, texts and amount);
// empty when the line has none.
std::string ReceiptImageFor(const std::string& dataFolder, const IoRecord& line);

// Takes the index rows of a line away; with `removeImage` also the image when no other row uses
// it. 0 done (also when the line had none); -1 the index could not be rewritten.
int ForgetReceiptOf(const std::string& dataFolder, const IoRecord& line, bool removeImage);

} // namespace mrt
