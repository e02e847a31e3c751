// Benchmarks, each printed as a ratio against a reference measured in the same run:
// what a user waits for (a keystroke, an instant drawing, a recolouring, a mode
// switch) against one repaint of the plot it ends up showing.
#include "app/form1.h"
#include "cli/journal.h"
#include "editor/boite_hexa.h"
#include "editor/boite_octets.h"
#include "frame/bus_erreurs.h"
#include "frame/longueur_trame.h"
#include "frame/trame.h"
#include "frame/trame_fd.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace varnel {
namespace {

// The frame that costs the most to draw: extended, eight data bytes, and as many
// stuff bits as the fields allow (long runs of zeros).
const char* const IdentifiantLong = "00000000";
const char* const OctetLong = "00";

struct Banc {
    PlateformeFactice plateforme;
    std::unique_ptr<Form1> f;
    Banc() {
        f = std::make_unique<Form1>(plateforme);
        f->show();
        QCoreApplication::processEvents();
    }
    void tramePlusLongue(bool legende) {
        if (legende != f->Legend->isChecked()) f->Legend->trigger();
        if (!f->Check1->isChecked()) f->Check1->click();
        QTest::keyClicks(f->Identifiant, IdentifiantLong);
        f->Controle->selectAll(); // the box holds its one digit: type over it
        QTest::keyClicks(f->Controle, "8");
        for (int k = 0; k < 8; ++k) QTest::keyClicks(f->Data[k], OctetLong);
    }
    void tramePlusLongueLegende() { tramePlusLongue(true); }
    // The longest CAN FD frame: extended, 64 bytes of zeros (a stuff bit every four
    // data bits), fast data phase.
    void trameFDPlusLongue() {
        if (!f->Legend->isChecked()) f->Legend->trigger();
        f->CheckFD->click();
        if (!f->Check1->isChecked()) f->Check1->click();
        QTest::keyClicks(f->Identifiant, IdentifiantLong);
        f->Controle->selectAll();
        QTest::keyClicks(f->Controle, "F");
        QTest::keyClicks(f->DonneesFD, QString(128, '0'));
        f->CheckBRS->click();
    }
    // The longest run of a disturbed frame: the longest frame, whose transmitter reads a
    // bit of its CRC inverted (a bit error near the end), the error frame, then the
    // whole frame sent again.
    void erreurPlusLongue() {
        tramePlusLongue(true);
        const int n = static_cast<int>(f->Trame_Emise().size());
        f->Choisit_Perturbation({Perturbation::Sorte::Emetteur, n - 15});
    }
    // One full repaint of a plot, as the event loop does it.
    static void repeint(VisuPlot* plot) {
        plot->replot(QCustomPlot::rpImmediateRefresh);
        QCoreApplication::processEvents();
    }
};

void RepaintEmptySignalPlot(benchmark::State& state) {
    Banc b;
    for (auto _ : state) Banc::repeint(b.f->Visu_CAN);
}
BENCHMARK(RepaintEmptySignalPlot)->Unit(benchmark::kMicrosecond);

void KeystrokeInIdentifier(benchmark::State& state) {
    Banc b;
    QTest::keyClicks(b.f->Identifiant, "12");
    for (auto _ : state) {
        QTest::keyClick(b.f->Identifiant, '3'); // completes the identifier: full rebuild
        QCoreApplication::processEvents();      // the queued repaint
        state.PauseTiming();
        QTest::keyClick(b.f->Identifiant, Qt::Key_Backspace);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(KeystrokeInIdentifier)->Unit(benchmark::kMicrosecond);

// A drawing made ready by `Prepare` (a frame typed, a disturbance chosen): one repaint of
// it once drawn, and "Instantanné" drawing it.
template <void (Banc::*Prepare)()> void Repaint(benchmark::State& state) {
    Banc b;
    (b.*Prepare)();
    b.f->Instantanne->trigger();
    QCoreApplication::processEvents();
    for (auto _ : state) Banc::repeint(b.f->Visu_CAN);
}

template <void (Banc::*Prepare)()> void Instant(benchmark::State& state) {
    Banc b;
    (b.*Prepare)();
    for (auto _ : state) {
        b.f->Instantanne_Click();
        QCoreApplication::processEvents();
    }
}

// The drawings measured so, by name: the longest frame, the longest CAN FD frame, the
// longest run of a disturbed frame (registered in main, in this order).
using Mesure = void (*)(benchmark::State&);
const std::pair<const char*, Mesure> Dessins[] = {
    {"RepaintLongestFrame", Repaint<&Banc::tramePlusLongueLegende>},
    {"InstantLongestFrame", Instant<&Banc::tramePlusLongueLegende>},
    {"RepaintLongestFDFrame", Repaint<&Banc::trameFDPlusLongue>},
    {"InstantLongestFDFrame", Instant<&Banc::trameFDPlusLongue>},
    {"RepaintLongestErrorRun", Repaint<&Banc::erreurPlusLongue>},
    {"InstantLongestErrorRun", Instant<&Banc::erreurPlusLongue>},
};

void BlackAndWhiteLongestFrame(benchmark::State& state) {
    Banc b;
    b.tramePlusLongue(true);
    for (auto _ : state) {
        state.PauseTiming();
        b.f->Instantanne_Click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        b.f->Noir_Blanc_Click();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BlackAndWhiteLongestFrame)->Unit(benchmark::kMicrosecond);

void ModeSwitchRoundTrip(benchmark::State& state) {
    Banc b;
    for (auto _ : state) {
        b.f->Simulation_arbitrage->trigger();
        QCoreApplication::processEvents();
        b.f->Simulation_trame->trigger();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(ModeSwitchRoundTrip)->Unit(benchmark::kMicrosecond);

void EngineLongestFrame(benchmark::State& state) {
    Trame t;
    const auto r = Regle_Identifiant(IdentifiantLong, true);
    t.Bits_ID = r.Bits_ID;
    t.Bits_Ctrl = "00" + Hexa_Bin("8");
    for (auto& d : t.Bits_D) d = Hexa_Bin(OctetLong);
    for (auto _ : state) benchmark::DoNotOptimize(t.Construit_Trame("8", true));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EngineLongestFrame);

// The error model: a frame of eight bytes that receiver 1 reads with one data bit inverted (a
// CRC error, error frames, counters), then sent again; items are bit times.
void EngineErrorRunWithRetransmission(benchmark::State& state) {
    Trame t;
    t.Bits_ID = Regle_Identifiant("123", false).Bits_ID;
    t.Bits_Ctrl = "00" + Hexa_Bin("8");
    for (auto& d : t.Bits_D) d = Hexa_Bin("55");
    t.Construit_Trame("8", true);
    const Transmission trame = Transmission_Classique(t);
    Perturbation p;
    p.sorte = Perturbation::Sorte::Recepteur;
    p.bit = 40;
    size_t bits = 0;
    for (auto _ : state) {
        const Deroulement d = Simule_Bus(trame, p, ConditionsBus());
        bits += d.bits.size();
        benchmark::DoNotOptimize(d.final);
    }
    state.counters["bits"] =
        benchmark::Counter(static_cast<double>(bits), benchmark::Counter::kAvgIterations);
}
BENCHMARK(EngineErrorRunWithRetransmission);

// The length of a classic frame as a log line gives it (numbers in, bit count out), over
// a set of random frames of 0 to 8 bytes, both formats, a quarter of them stuff-heavy.
void EngineFrameLength(benchmark::State& state) {
    std::mt19937 gen(15);
    std::vector<TrameClassique> trames(4096);
    for (TrameClassique& f : trames) {
        f.etendue = gen() % 2;
        f.identifiant = static_cast<uint32_t>(gen()) & (f.etendue ? 0x1FFFFFFFu : 0x7FFu);
        f.dlc = static_cast<uint8_t>(gen() % 9);
        const bool lourd = gen() % 4 == 0;
        for (auto& o : f.donnees) o = lourd ? 0 : static_cast<uint8_t>(gen());
    }
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Longueur_Stuffee(trames[i]));
        i = (i + 1) % trames.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EngineFrameLength);

// The longest CAN FD frame: extended, 64 bytes, as many stuff bits as the fields allow;
// texts and bit times.
void EngineLongestFDFrame(benchmark::State& state) {
    const SaisieFD s{Regle_Identifiant(IdentifiantLong, true).Bits_ID, true, false, 15,
                     std::vector<uint8_t>(64, static_cast<uint8_t>(Val_Hexa(OctetLong)))};
    for (auto _ : state) benchmark::DoNotOptimize(Construit_Trame_FD(s));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EngineLongestFDFrame);

// A candump log of a million lines, made once per run in the temporary folder: classic
// frames of 0 to 8 bytes, a tenth extended, on 60 identifiers, 200 µs apart.
const int LignesJournal = 1000000;
std::string Journal_Genere() {
    char modele[] = "/tmp/varnel-bench-journal-XXXXXX";
    const int fd = mkstemp(modele);
    FILE* f = fdopen(fd, "w");
    std::mt19937 gen(2026);
    uint32_t ids[60];
    for (int k = 0; k < 60; ++k) ids[k] = k % 10 == 0 ? gen() & 0x1FFFFFFF : gen() & 0x7FF;
    uint64_t instant = 1436509052000000; // µs
    for (int n = 0; n < LignesJournal; ++n, instant += 200) {
        const int k = static_cast<int>(gen() % 60), octets = static_cast<int>(gen() % 9);
        std::fprintf(f, k % 10 == 0 ? "(%llu.%06llu) can0 %08X#" : "(%llu.%06llu) can0 %03X#",
                     static_cast<unsigned long long>(instant / 1000000),
                     static_cast<unsigned long long>(instant % 1000000), ids[k]);
        for (int o = 0; o < octets; ++o) std::fprintf(f, "%02X", static_cast<unsigned>(gen() & 0xFF));
        std::fputc('\n', f);
    }
    std::fclose(f);
    return modele;
}

void JournalLinesPerSecond(benchmark::State& state) {
    const std::string chemin = Journal_Genere();
    for (auto _ : state) {
        const int fd = open(chemin.c_str(), O_RDONLY);
        std::ostringstream sortie, erreurs;
        benchmark::DoNotOptimize(
            Analyse_Journal(fd, {500000, 2000000, false, "journal", ""}, sortie, erreurs));
        close(fd);
    }
    unlink(chemin.c_str());
    state.SetItemsProcessed(state.iterations() * LignesJournal);
}
BENCHMARK(JournalLinesPerSecond)->Unit(benchmark::kMillisecond);

// Collects each benchmark's mean real time to print the ratios after the table.
class Rapport : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> temps; // nanoseconds per iteration
    double bitsParRun = 0;               // bit times in one run of the error model
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            temps[r.benchmark_name()] =
                r.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
            if (r.counters.count("bits")) bitsParRun = r.counters.at("bits");
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace
} // namespace varnel

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (const auto& [nom, mesure] : varnel::Dessins)
        benchmark::RegisterBenchmark(nom, mesure)->Unit(benchmark::kMicrosecond);
    varnel::Rapport rapport;
    benchmark::RunSpecifiedBenchmarks(&rapport);
    auto& t = rapport.temps;
    auto ratio = [&](const char* quoi, const char* ref, const char* texte) {
        if (t.count(quoi) && t.count(ref) && t[ref] > 0)
            std::printf("%-58s %6.2f\n", texte, t[quoi] / t[ref]);
    };
    std::printf("\nRatios (same run, offscreen platform):\n");
    ratio("KeystrokeInIdentifier", "RepaintEmptySignalPlot",
          "keystroke in Identifiant / repaint of the empty plot");
    ratio("InstantLongestFrame", "RepaintLongestFrame",
          "Instantanné, longest frame / repaint of that drawing");
    ratio("InstantLongestFDFrame", "RepaintLongestFDFrame",
          "Instantanné, longest CAN FD frame / repaint of that drawing");
    ratio("InstantLongestErrorRun", "RepaintLongestErrorRun",
          "Instantanné, longest error run / repaint of that drawing");
    ratio("BlackAndWhiteLongestFrame", "RepaintLongestFrame", "Noir et Blanc / repaint of that drawing");
    ratio("ModeSwitchRoundTrip", "RepaintLongestFrame",
          "arbitration mode and back / repaint of the longest drawing");
    if (t.count("EngineErrorRunWithRetransmission"))
        std::printf("%-58s %6.0f\n", "engine: bit times per second, 3 nodes, retransmission",
                    rapport.bitsParRun * 1e9 / t["EngineErrorRunWithRetransmission"]);
    if (t.count("EngineLongestFrame"))
        std::printf("%-58s %6.0f\n", "engine: longest frames computed per second",
                    1e9 / t["EngineLongestFrame"]);
    if (t.count("EngineFrameLength"))
        std::printf("%-58s %6.0f\n", "engine: frame lengths (log frames) computed per second",
                    1e9 / t["EngineFrameLength"]);
    if (t.count("EngineLongestFDFrame"))
        std::printf("%-58s %6.0f\n", "engine: longest FD frames (64 bytes) computed per second",
                    1e9 / t["EngineLongestFDFrame"]);
    if (t.count("JournalLinesPerSecond"))
        std::printf("%-58s %6.0f\n", "varnel-trame --journal: log lines read per second",
                    1e9 * varnel::LignesJournal / t["JournalLinesPerSecond"]);
    return 0;
}
