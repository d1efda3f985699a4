#pragma once
#include <string>

namespace mrt {

// The paper a printout asks for: the settings' paper codes.
constexpr int kPaperA4 = 9;
constexpr int kPaperB5 = 13;

// The printer as the printouts draw on it. Positions and sizes are in twips (1/1440 inch) from
// the top-left corner of the printable area. Every operation returns true when it was done;
// after false, ErrorText() describes the failure (the caller offers Retry/Cancel).
class Printer {
public:
    virtual ~Printer() = default;

    // Font of the following texts and measurements: a face name as the printouts name it
    // ("ＭＳ 明朝") and a size in points.
    virtual bool SetFont(const std::string& face, int points) = 0;
    // Width and height of a one-line text in the current font.
    virtual bool TextWidth(const std::string& text, double& twips) = 0;
    virtual bool TextHeight(const std::string& text, double& twips) = 0;
    // One line of text whose top-left corner is (x, y).
    virtual bool DrawText(double x, double y, const std::string& text) = 0;
    virtual bool SetPenWidth(int width) = 0;
    virtual bool DrawLine(double x1, double y1, double x2, double y2) = 0;
    // The page drawn so far is complete; the next drawing starts a new page.
    virtual bool NewPage() = 0;
    // The end of a print job. One printout is one document here: ending a job completes the page,
    // so a page break directly followed by the end of the job adds no empty page.
    virtual bool EndJob() = 0;

    virtual std::string ErrorText() const = 0;
};

// What a printout tells its destination before the first page.
struct PrintoutInfo {
    int paper = kPaperA4;     // kPaperA4 or kPaperB5
    bool landscape = false;   // the long edge across
    std::string documentName; // the title and range, for the print queue and the PDF
    std::string fileStem;     // a file name without extension, proposed for a PDF
};

// Where a printout goes (a printer, a PDF file, a preview; in tests a recording). One
// BeginPrintout..EndPrintout span per printout.
class PrintDevice {
public:
    virtual ~PrintDevice() = default;
    // The printer for one printout, after the print settings were confirmed. nullptr when the
    // user cancelled a question of the device's own (the PDF file name); nothing was shown then.
    virtual Printer* BeginPrintout(const PrintoutInfo& info) = 0;
    // Asked between pages: true when the user asked to stop ([Esc] in the wait window).
    virtual bool StopRequested() = 0;
    // The printout is over; `completed` is false after a stop or a cancelled printer error (the
    // pages completed so far are kept). 0 = the pages reached their destination; 1 = they were
    // only looked at (a preview closed without printing); -1 = failed (message shown).
    virtual int EndPrintout(bool completed) = 0;
};

} // namespace mrt
