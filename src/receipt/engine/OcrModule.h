#pragma once
#include <cstddef>

// The C interface of the recogniser module (mrtkel-receipt-ocr.so), loaded with dlopen. Texts
// are UTF-8; error and language buffers receive a terminated text cut to their size.
extern "C" {

// One recognised line: its text and `count` pairs [begin, end) of byte offsets of unsure characters.
typedef void (*mrtkel_ocr_line_fn)(void* context, const char* text, const size_t* unsure, size_t count);

// Loads the engine with the "Japanese" model, else "jpn". The engine, or null with `error` set.
void* mrtkel_ocr_open(char* error, size_t errorSize, char* language, size_t languageSize);
// Reads one image: upright by EXIF, cropped, evened out, straightened, recognised; calls `line`
// for each line in order. 0 done; -1 with `error` set.
int mrtkel_ocr_read(void* engine, const char* path, float unsureBelow, mrtkel_ocr_line_fn line, void* context,
                    char* error, size_t errorSize);
void mrtkel_ocr_close(void* engine);
}
