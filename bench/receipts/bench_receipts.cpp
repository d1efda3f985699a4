// Accuracy and speed of receipt reading over a folder of synthetic receipts (mrtkel_receipt_gen):
// per field (date, total, per-rate amounts, T-number, shop) on the clean and the degraded images,
// how often a wrong total or rate amount is flagged by the checks, and the time per receipt.
//
//   mrtkel_bench_receipts DIR
#include "receipt/ReceiptOcr.h"
#include "receipt/ReceiptParse.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>

namespace {

using Truth = std::map<std::string, std::string>;

Truth readTruth(const std::filesystem::path& p) {
    Truth t;
    std::ifstream in(p);
    for (std::string line; std::getline(in, line);)
        if (const size_t eq = line.find('='); eq != std::string::npos) t[line.substr(0, eq)] = line.substr(eq + 1);
    return t;
}

struct Tally {
    int n = 0, date = 0, total = 0, rates = 0, tnumber = 0, shop = 0;
    int wrongSums = 0, wrongFlagged = 0, rightFlagged = 0;
    double wallMax = 0, wallSum = 0, cpuSum = 0;
};

double pct(int a, int b) {
    return b ? 100.0 * a / b : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: mrtkel_bench_receipts DIR\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::vector<std::filesystem::path> truths;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().extension() == ".truth") truths.push_back(e.path());
    std::sort(truths.begin(), truths.end());
    std::set<std::string> shopSet;
    for (const auto& p : truths)
        shopSet.insert(readTruth(p)["shop"]);
    const std::vector<std::string> shops(shopSet.begin(), shopSet.end());

    mrt::ReceiptReader reader;
    std::string error;
    const auto loadStart = std::chrono::steady_clock::now();
    if (!reader.Load(error)) {
        std::cerr << error << "\n";
        return 1;
    }
    const double loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();
    std::map<std::string, Tally> tallies;
    for (const auto& tp : truths) {
        Truth t = readTruth(tp);
        const std::string stem = tp.stem().string();
        for (const char* kind : {"clean", "degraded"}) {
            std::filesystem::path img = dir / (stem + "-" + kind + ".png");
            if (!std::filesystem::exists(img)) img = dir / (stem + "-" + kind + ".jpg");
            if (!std::filesystem::exists(img)) continue;
            std::vector<mrt::ReadLine> lines;
            const auto w0 = std::chrono::steady_clock::now();
            const std::clock_t c0 = std::clock();
            const bool ok = reader.Read(img.string(), lines, error);
            const mrt::ReadReceipt r = mrt::ParseReceipt(lines, shops);
            const double cpu = double(std::clock() - c0) / CLOCKS_PER_SEC;
            const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
            if (!ok) std::cerr << img << ": " << error << "\n";
            Tally& s = tallies[kind];
            ++s.n;
            s.wallSum += wall;
            s.cpuSum += cpu;
            s.wallMax = std::max(s.wallMax, wall);
            const auto incl = [](const mrt::RatePart& p) { return std::max<int64_t>(p.included, 0); };
            const bool dateOk = std::to_string(r.date) == t["date"];
            const bool totalOk = std::to_string(r.total) == t["total"];
            const bool ratesOk =
                std::to_string(incl(r.reduced)) == t["rate8"] && std::to_string(incl(r.standard)) == t["rate10"];
            const bool tOk =
                r.tnumber == t["tnumber"] && (r.tcheck == mrt::TNumberCheck::Valid) == (t["tvalid"] == "1");
            const bool shopOk = r.shop == t["shop"];
            s.date += dateOk;
            s.total += totalOk;
            s.rates += ratesOk;
            s.tnumber += tOk;
            s.shop += shopOk;
            if (!totalOk || !ratesOk) {
                ++s.wrongSums;
                s.wrongFlagged += !r.TotalsConfirmed();
            } else {
                s.rightFlagged += !r.TotalsConfirmed();
            }
            if (std::getenv("BENCH_VERBOSE") && (!dateOk || !totalOk || !ratesOk || !tOk || !shopOk)) {
                std::cerr << img.filename().string() << ":" << (dateOk ? "" : " date") << (totalOk ? "" : " total")
                          << (ratesOk ? "" : " rates") << (tOk ? "" : " tnumber") << (shopOk ? "" : " shop")
                          << (r.TotalsConfirmed() ? "" : " [flagged]") << "\n";
                if (std::string(std::getenv("BENCH_VERBOSE")) == "2")
                    for (const auto& l : lines)
                        std::cerr << "    | " << l.text << "\n";
            }
        }
    }
    std::printf("receipts: model %s loaded in %.2f s\n", reader.Language().c_str(), loadSeconds);
    std::printf("%-9s %4s %7s %7s %9s %9s %7s %13s %12s %10s %9s\n", "set", "n", "date", "total", "per-rate",
                "T-number", "shop", "wrong-flagged", "right-flagged", "wall/rcpt", "max wall");
    for (const auto& [kind, s] : tallies)
        std::printf(
            "%-9s %4d %6.1f%% %6.1f%% %8.1f%% %8.1f%% %6.1f%% %6d/%-6d %6.1f%%     %6.2f s %7.2f s  (cpu %.2f s)\n",
            kind.c_str(), s.n, pct(s.date, s.n), pct(s.total, s.n), pct(s.rates, s.n), pct(s.tnumber, s.n),
            pct(s.shop, s.n), s.wrongFlagged, s.wrongSums, pct(s.rightFlagged, s.n - s.wrongSums),
            s.wallSum / std::max(1, s.n), s.wallMax, s.cpuSum / std::max(1, s.n));
    return 0;
}
