#pragma once
// Test stand-ins for the printing ports: a print settings form answering from a script, a
// printer that fails chosen calls, a device that records what a printout asked of it.
#include "print/PrintSettings.h"
#include "print/Printer.h"
#include "print/RecordingPrinter.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace mrt::test {

// Answers PrSetDataIn from a script: each step may edit the values and returns 0 or -1. Every
// call is kept (the values as the form received them). A call beyond the script fails the test
// and cancels; unused steps fail it when the form goes away.
class ScriptedPrintForm : public PrintSettingsForm {
public:
    ~ScriptedPrintForm() override;
    using Step = std::function<int(PrSetData&)>;
    void answer(Step step) { m_steps.push_back(std::move(step)); }
    // Confirms the values as shown.
    void confirm() {
        answer([](PrSetData&) { return 0; });
    }
    void cancel() {
        answer([](PrSetData&) { return -1; });
    }
    int PrSetDataIn(PrSetData& data) override;

    std::vector<PrSetData> shown;

private:
    std::deque<Step> m_steps;
};

// A recording printer whose calls can fail: call number `failAt` (1-based, counting every
// printer call) fails `times` times with the error text "用紙がありません。".
class FailingPrinter : public RecordingPrinter {
public:
    int failAt = 0;
    int times = 1;
    int calls = 0;
    // The calls in order: "font", "width", "height", "text", "pen", "line", "newpage", "endjob".
    std::vector<std::string> log;

    bool SetFont(const std::string& face, int points) override;
    bool TextWidth(const std::string& text, double& twips) override;
    bool TextHeight(const std::string& text, double& twips) override;
    bool DrawText(double x, double y, const std::string& text) override;
    bool SetPenWidth(int width) override;
    bool DrawLine(double x1, double y1, double x2, double y2) override;
    bool NewPage() override;
    bool EndJob() override;

private:
    bool fails(const char* what);
};

// A device handing out one FailingPrinter per printout.
class RecordingDevice : public PrintDevice {
public:
    FailingPrinter printer;
    std::vector<PrintoutInfo> begun;
    std::vector<bool> ended;  // the `completed` of each EndPrintout
    bool cancelBegin = false; // BeginPrintout answers nullptr (file question cancelled)
    int stopAfterPages = -1;  // StopRequested true once this many pages are complete
    int endResult = 0;        // what EndPrintout answers
    int stopQuestions = 0;

    Printer* BeginPrintout(const PrintoutInfo& info) override;
    bool StopRequested() override;
    int EndPrintout(bool completed) override;
};

// The texts of a page in drawing order, and those drawn at one y (twips, ±1).
std::vector<std::string> PageTexts(const PrintPage& page);
std::vector<std::string> TextsAtY(const PrintPage& page, double y);
// The frames of a page's tables: each frame is the first of four lines drawn with the frame pen.
struct TableBox {
    double left, top, right, bottom;
};
std::vector<TableBox> TableFrames(const PrintPage& page, int framePen);

} // namespace mrt::test
