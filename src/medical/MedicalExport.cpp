#include "medical/MedicalExport.h"

#include "util/Paths.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <xlsxwriter.h>

namespace mrt {
namespace {

std::string dateText(int32_t yyyymmdd) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
    return buf;
}

// A file of our own in the system's temporary folder for the library to write into.
std::string temporaryPath() {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec) return {};
    std::string tmpl = (dir / "mrtkel-xlsx-XXXXXX").string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return {};
    ::close(fd);
    return tmpl;
}

} // namespace

const std::vector<std::string>& MedicalFormHeader() {
    static const std::vector<std::string> header = {"医療を受けた人",         "病院・薬局などの支払先の名称",
                                                    "医療費の区分",           "支払った医療費の金額",
                                                    "左のうち補填される金額", "支払年月日"};
    return header;
}

void WriteMedicalCsv(CsvWriter& out, const MedicalForm& form) {
    for (const auto& h : MedicalFormHeader())
        out.Text(h);
    out.EndRow();
    for (const auto& row : form.rows) {
        out.Text(row.person).Text(row.payee).Text(MedicalCategoryText(row.category)).Number(row.amount);
        out.Number(row.reimbursed).Text(dateText(row.lastDate)).EndRow();
    }
}

bool WriteMedicalXlsx(const std::string& path, const MedicalForm& form, std::string& why) {
    const std::string tmp = temporaryPath();
    if (tmp.empty()) {
        why = "一時ファイルを作れません";
        return false;
    }
    lxw_workbook* wb = workbook_new(tmp.c_str());
    if (!wb) {
        std::remove(tmp.c_str());
        why = "ブックを作れません";
        return false;
    }
    lxw_worksheet* ws = workbook_add_worksheet(wb, "医療費集計フォーム");
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format* yen = workbook_add_format(wb);
    format_set_num_format(yen, "#,##0");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy/mm/dd");
    const auto& header = MedicalFormHeader();
    for (size_t c = 0; c < header.size(); ++c)
        worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), header[c].c_str(), bold);
    worksheet_set_column(ws, 0, 0, 16, nullptr);
    worksheet_set_column(ws, 1, 1, 34, nullptr);
    worksheet_set_column(ws, 2, 2, 18, nullptr);
    worksheet_set_column(ws, 3, 5, 20, nullptr);
    lxw_row_t r = 1;
    for (const auto& row : form.rows) {
        worksheet_write_string(ws, r, 0, row.person.c_str(), nullptr);
        worksheet_write_string(ws, r, 1, row.payee.c_str(), nullptr);
        worksheet_write_string(ws, r, 2, MedicalCategoryText(row.category), nullptr);
        worksheet_write_number(ws, r, 3, static_cast<double>(row.amount), yen);
        worksheet_write_number(ws, r, 4, static_cast<double>(row.reimbursed), yen);
        lxw_datetime dt = {row.lastDate / 10000,
                           static_cast<uint8_t>(row.lastDate / 100 % 100),
                           static_cast<uint8_t>(row.lastDate % 100),
                           0,
                           0,
                           0};
        worksheet_write_datetime(ws, r, 5, &dt, date);
        ++r;
    }
    lxw_error err = workbook_close(wb);
    std::string bytes;
    bool ok = err == LXW_NO_ERROR && ReadWholeFile(tmp, bytes) && !bytes.empty();
    std::remove(tmp.c_str());
    if (!ok) {
        why = err != LXW_NO_ERROR ? std::string("ブックを書き出せません（") + lxw_strerror(err) + "）"
                                  : "書き出したブックを読めません";
        return false;
    }
    if (!WriteWholeFile(path, bytes)) {
        why = "ファイルに書き込めません";
        return false;
    }
    return true;
}

} // namespace mrt
