// The simulation's copies, and its steps in turn.
#include "simulation/simulation.h"

#include <filesystem>
#include <vector>

#include "simulation/checks.h"
#include "simulation/faults.h"

namespace sim {
namespace {

class SimFrontend : public hostsim::Frontend {
public:
    SimFrontend(Simulation &simulation, int copy) : simulation_(simulation), copy_(copy) {}
    hostsim::MenuAnswer ShowMenu(const hostsim::MenuCall &call) override {
        return simulation_.OnMenu(copy_, call);
    }
    int ShowMessage(const hostsim::MessageCall &call) override {
        return simulation_.OnMessage(copy_, call);
    }
    hostsim::PromptAnswer PromptInput(const hostsim::PromptCall &call) override {
        return simulation_.OnPrompt(copy_, call);
    }

private:
    Simulation &simulation_;
    int copy_;
};

}  // namespace

Simulation::Simulation(const Programs &programs, std::uint64_t seed, std::set<long> skipped)
    : programs_(programs), seed_(seed), skipped_(std::move(skipped)) {
    std::mt19937_64 random(seed);
    const int copies = 2 + Below(random, 3);
    // Half the runs on file times as a file system of whole seconds, or of
    // two, keeps them.
    coarseSeconds_ = std::vector<int>{0, 0, 1, 2}[Below(random, 4)];
    world_.SetCoarseTimes(coarseSeconds_);
    std::filesystem::create_directories(world_.Root() / "copies");
    faults.lockHeld = [this] { return world_.LockHeld(); };
    for (int i = 0; i < copies; ++i) {
        auto copy = std::make_unique<Copy>();
        copy->index = i;
        const std::filesystem::path folder = world_.Root() / "copies" / std::to_string(i);
        std::filesystem::create_directories(folder);
        copy->library = (folder / std::filesystem::path(programs_.library).filename()).string();
        std::filesystem::copy_file(programs_.library, copy->library);
        copy->ui = std::make_unique<SimFrontend>(*this, i);
        copy->host = std::make_unique<hostsim::Host>(*copy->ui);
        copy->host->OverrideModulePath(world_.ModulePath());
        copies_.push_back(std::move(copy));
        Restart(*copies_.back());
    }
    for (int n = 0; n < 6; ++n) world_.SetFileExists(n, Below(random, 2) == 0);
}

Simulation::~Simulation() {
    faults.Clear();
    faults.lockHeld = nullptr;
    for (auto &copy : copies_) copy->host->UnloadPlugin();
}

void Simulation::Step(long index) {
    if (skipped_.count(index)) return;
    std::mt19937_64 random(seed_ * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(index));
    random_ = &random;
    faults.Clear();
    faults.random.seed(random());
    const long injectedBefore = faults.injected;
    log_.push_back("step " + std::to_string(index) + ":");
    const int roll = Below(random, 100);
    if (roll < 30) {
        Record(random);
    } else if (roll < 52) {
        ShowMenu(random);
    } else if (roll < 64) {
        ActAsAnotherProgram(random);
    } else if (roll < 70) {
        for (int n = Below(random, 3); n >= 0; --n) {
            const int file = Below(random, 6);
            const bool exists = Below(random, 2) == 0;
            world_.SetFileExists(file, exists);
            Note() += " f" + std::to_string(file) + (exists ? " exists" : " is gone");
        }
    } else if (roll < 74) {
        Copy &copy = AnyCopy(random);
        Restart(copy);
        Note() += " copy " + std::to_string(copy.index) + " restarts";
    } else if (roll < 81) {
        CrashACopy(random);
    } else if (roll < 87) {
        RecordAtOnce(random, index);
    } else if (roll < 94) {
        StallACopy(random);
    } else if (roll < 97) {
        StallAProcess(random, index);
    } else {
        CutThePower(random);
    }
    // A removal that failed may have left a save's file behind.
    const bool mayLeave = faults.plan.removeFails;
    faults.Clear();
    totals_.faults += faults.injected - injectedBefore;
    ++totals_.steps;
    CheckWorld(mayLeave);
}

std::string Simulation::State() const {
    std::string state = "history (version " + std::to_string(version_) +
                        "): " + (last_.regular ? Shown(ParseHistory(last_.bytes)) : "(none)") +
                        "\n";
    for (const auto &[record, name] : records_)
        state += "  record " + record + ": " + Quoted(name) + "\n";
    for (const auto &copy : copies_) {
        Entries waiting;
        for (const Waiting &each : copy->waiting)
            waiting.push_back(each.name + (each.record.empty() ? " (in memory)" : ""));
        state += "  copy " + std::to_string(copy->index) + " (saw " + std::to_string(copy->seen) +
                 "): " + Shown(copy->memory) + ", waiting " + Shown(waiting) + "\n";
    }
    return state;
}

std::string Simulation::RandomName(std::mt19937_64 &random) const {
    const std::string folder = (world_.Root() / "odd").string() + (kWindows ? "\\" : "/");
    const int roll = Below(random, 100);
    std::string name;
    if (roll < 55) {
        name = world_.FileName(Below(random, 6));
    } else if (roll < 70) {
        name = folder + "\xC4\xE9t\xE9 " + std::to_string(Below(random, 4));
    } else if (roll < 76) {
        name = folder + std::string(300, 'L') + std::to_string(Below(random, 2));
    } else if (roll < 92) {
        const Entries &held = copies_[Below(random, static_cast<int>(copies_.size()))]->memory;
        name =
            held.empty() ? world_.FileName(0) : held[Below(random, static_cast<int>(held.size()))];
    } else {
        return Below(random, 2) ? "" : "a\rb";
    }
    // The same file in another case or with other slashes, where that is so.
    if (kWindows && Below(random, 3) == 0) {
        for (char &c : name)
            if (c >= 'a' && c <= 'z' && Below(random, 2)) c = static_cast<char>(c - 'a' + 'A');
        std::replace(name.begin(), name.end(), '\\', '/');
    }
    return name;
}

}  // namespace sim
