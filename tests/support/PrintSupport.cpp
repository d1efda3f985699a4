#include "support/PrintSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace mrt::test {

ScriptedPrintForm::~ScriptedPrintForm() {
    if (!m_steps.empty()) ADD_FAILURE() << m_steps.size() << " print settings answers not used";
}

int ScriptedPrintForm::PrSetDataIn(PrSetData& data) {
    shown.push_back(data);
    if (m_steps.empty()) {
        ADD_FAILURE() << "unexpected print settings dialog: " << data.ttl;
        return -1;
    }
    Step s = std::move(m_steps.front());
    m_steps.pop_front();
    return s(data);
}

bool FailingPrinter::fails(const char* what) {
    log.emplace_back(what);
    ++calls;
    if (failAt > 0 && calls >= failAt && times > 0) {
        // The failing call is repeated by a retry; it fails `times` times in all.
        --times;
        --calls;
        m_error = "用紙がありません。";
        return true;
    }
    return false;
}

bool FailingPrinter::SetFont(const std::string& face, int points) {
    return !fails("font") && RecordingPrinter::SetFont(face, points);
}
bool FailingPrinter::TextWidth(const std::string& text, double& twips) {
    return !fails("width") && RecordingPrinter::TextWidth(text, twips);
}
bool FailingPrinter::TextHeight(const std::string& text, double& twips) {
    return !fails("height") && RecordingPrinter::TextHeight(text, twips);
}
bool FailingPrinter::DrawText(double x, double y, const std::string& text) {
    return !fails("text") && RecordingPrinter::DrawText(x, y, text);
}
bool FailingPrinter::SetPenWidth(int width) {
    return !fails("pen") && RecordingPrinter::SetPenWidth(width);
}
bool FailingPrinter::DrawLine(double x1, double y1, double x2, double y2) {
    return !fails("line") && RecordingPrinter::DrawLine(x1, y1, x2, y2);
}
bool FailingPrinter::NewPage() {
    return !fails("newpage") && RecordingPrinter::NewPage();
}
bool FailingPrinter::EndJob() {
    return !fails("endjob") && RecordingPrinter::EndJob();
}

Printer* RecordingDevice::BeginPrintout(const PrintoutInfo& info) {
    begun.push_back(info);
    return cancelBegin ? nullptr : &printer;
}

bool RecordingDevice::StopRequested() {
    ++stopQuestions;
    return stopAfterPages >= 0 && printer.PagesCompleted() >= stopAfterPages;
}

int RecordingDevice::EndPrintout(bool completed) {
    ended.push_back(completed);
    return endResult;
}

std::vector<std::string> PageTexts(const PrintPage& page) {
    std::vector<std::string> v;
    for (const PrintOp& op : page.ops)
        if (op.kind == PrintOp::Kind::Text) v.push_back(op.text);
    return v;
}

std::vector<std::string> TextsAtY(const PrintPage& page, double y) {
    std::vector<std::pair<double, std::string>> found;
    for (const PrintOp& op : page.ops)
        if (op.kind == PrintOp::Kind::Text && std::abs(op.y1 - y) <= 1) found.emplace_back(op.x1, op.text);
    std::sort(found.begin(), found.end());
    std::vector<std::string> v;
    for (auto& f : found)
        v.push_back(f.second);
    return v;
}

std::vector<TableBox> TableFrames(const PrintPage& page, int framePen) {
    std::vector<TableBox> boxes;
    const std::vector<PrintOp>& ops = page.ops;
    for (size_t i = 0; i + 3 < ops.size(); ++i) {
        const PrintOp& a = ops[i];
        if (a.kind != PrintOp::Kind::Line || a.pen != framePen) continue;
        const PrintOp& b = ops[i + 1];
        boxes.push_back({a.x1, a.y1, b.x2, b.y2});
        i += 3;
    }
    return boxes;
}

} // namespace mrt::test
