#pragma once
#include "receipt/ReceiptParse.h"

#include <memory>
#include <string>
#include <vector>

namespace mrt {

// True when the program was built with the character recogniser (tesseract and leptonica).
bool ReceiptReadingBuiltIn();

// Reads receipt images into lines of text, in-process and offline. The engine and its Japanese
// model load once, at the first read, and stay for the reader's life (a few hundred ms to load).
class ReceiptReader {
public:
    ReceiptReader();
    ~ReceiptReader();
    ReceiptReader(const ReceiptReader&) = delete;
    ReceiptReader& operator=(const ReceiptReader&) = delete;

    // Loads the engine: the "Japanese" script model first, else "jpn". False with `error` set
    // to a message for the user when the program has no recogniser or no Japanese model is installed.
    bool Load(std::string& error);
    // The model in use ("Japanese" or "jpn"); empty before a successful Load.
    std::string Language() const;

    // Reads one image (PNG, JPEG, TIFF, BMP...): turns it upright by its EXIF orientation,
    // straightens it, crops it to the paper and binarises it, then recognises it. Characters below
    // `unsureBelow` confidence (0..100) are marked unsure. False with `error` set (the message to show).
    bool Read(const std::string& imagePath, std::vector<ReadLine>& lines, std::string& error, float unsureBelow = 60);

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
};

// The EXIF orientation (1..8) of a JPEG file's bytes; 1 when it has none.
int ExifOrientation(const std::string& bytes);

} // namespace mrt
