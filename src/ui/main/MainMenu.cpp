#include "ui/main/MainMenu.h"

namespace mrt {

const std::vector<MainMenuEntry>& MainMenuEntries() {
    using E = MainMenuEntry;
    using C = Command;
    static const std::vector<MainMenuEntry> entries = {
        {E::Menu, C::None, "ファイル", 'F', ""},
        {E::Item, C::ForcedSave, "入出金データの強制保存", 'S', "Ctrl+S"},
        {E::Item, C::Backup, "各データの保管", 'A', ""},
        {E::Item, C::Restore, "保管データの復帰", 'N', ""},
        {E::Item, C::StartDate, "開始日付の変更", 'R', ""},
        {E::Separator, C::None, "-", 0, ""},
        {E::Item, C::SwitchBook, "家計簿の切替", 'B', "Ctrl+B"},
        {E::Item, C::AddBook, "家計簿の追加", 'K', ""},
        {E::Item, C::TransferEntry, "振替の入力", 'T', ""},
        {E::Separator, C::None, "-", 0, ""},
        {E::Item, C::ExportCsv, "CSV出力…", 'E', ""},
        {E::Item, C::ImportCsv, "CSV取込…", 'I', ""},
        {E::Item, C::ImportStatement, "明細取込…", 'M', ""},
        {E::Item, C::MedicalForm, "医療費控除の集計…", 'D', ""},
        {E::Item, C::ReadReceipt, "レシート読取…", 'O', ""},
        {E::Separator, C::None, "-", 0, ""},
        {E::Item, C::Print, "入出金データの印刷", 'P', "Ctrl+P"},
        {E::Separator, C::None, "-", 0, ""},
        {E::Item, C::Exit, "終了", 'X', ""},
        {E::Menu, C::None, "編集", 'E', ""},
        {E::Item, C::Undo, "元に戻す", 'U', "Ctrl+Z"},
        {E::Item, C::Redo, "やり直し", 'R', "Ctrl+Shift+Z"},
        {E::Separator, C::None, "-", 0, ""},
        {E::Item, C::Cut, "切り取り", 'T', "Ctrl+X"},
        {E::Item, C::Copy, "コピー", 'C', "Ctrl+C"},
        {E::Item, C::Paste, "貼り付け", 'P', "Ctrl+V"},
        {E::Separator, C::None, "-", 0, ""},
        {E::Item, C::SortByDate, "入出金データを日付順に並び替え", 'M', ""},
        {E::Item, C::DeleteLine, "入出金データの行削除", 'D', "Ctrl+Y"},
        {E::Item, C::InsertLine, "入出金データの１行挿入", 'I', "Ctrl+I"},
        {E::Item, C::MoveToDate, "入力位置を指定日付へ移動", 'G', "Ctrl+G"},
        {E::Separator, C::None, "-", 0, ""},
        {E::Item, C::EditForcedSave, "入出金データの強制保存", 'S', ""},
        {E::Menu, C::None, "表示", 'V', ""},
        {E::Item, C::Totals, "集計の表示", 'T', ""},
        {E::Item, C::YearReport, "年間集計", 'Y', ""},
        {E::Item, C::Search, "検索", 'F', "Ctrl+F"},
        {E::Item, C::OpenReceipt, "この行のレシート", 'R', "Ctrl+E"},
        {E::Menu, C::None, "登録", 'R', ""},
        {E::Item, C::NameRegistration, "項目名・内訳名・店名の登録", 'R', ""},
        {E::Item, C::BudgetRegistration, "予算表の登録", 'B', ""},
        {E::Item, C::RecurringRegistration, "定期入出金の登録", 'T', ""},
        {E::Item, C::LineToRecurring, "現在行を定期入出金に登録", 'L', "Ctrl+R"},
        {E::Item, C::DueLines, "期日が来た定期入出金の確認", 'D', ""},
        {E::Item, C::ShopRules, "明細取込の規則", 'S', ""},
        {E::Separator, C::None, "-", 0, ""},
        {E::Item, C::Settings, "環境設定", 'I', ""},
        {E::Menu, C::None, "ヘルプ", 'H', ""},
        {E::Item, C::Help, "操作説明", 'H', ""},
        {E::Separator, C::None, "-", 0, ""},
        {E::Item, C::Version, "バージョン表示", 'A', ""},
    };
    return entries;
}

} // namespace mrt
