// The stand-in host's own side: loading the plug-in, calling its exports,
// and keeping the windows, texts and recorded calls.
#include "hostsim/host.h"

#include <cstring>

#include "hostsim/host_impl.h"

namespace hostsim {
namespace {

// The host whose export call is under way: the one the services serve.
Host *activeHost = nullptr;

// Makes a host the active one while one of its plug-in's exports runs.
// Calls nest: an export can make the host call another (OpenEditor raises
// the editor event).
class Serving {
public:
    explicit Serving(Host *host) : previous_(activeHost) { activeHost = host; }
    Serving(const Serving &) = delete;
    Serving &operator=(const Serving &) = delete;
    ~Serving() { activeHost = previous_; }

private:
    Host *previous_;
};

template <class Fn>
Fn Export(const PluginLibrary &library, const char *name) {
    return reinterpret_cast<Fn>(library.Symbol(name));
}

}  // namespace

Host::Impl::Impl(Frontend &shower) : frontend(shower) {
    windows.push_back(Window{host::kPanelsWindow, ""});
    texts[host::kTextTitle] = std::make_unique<std::string>("File history");
    texts[host::kTextEmptyHistory] = std::make_unique<std::string>("The file history is empty.");
    texts[host::kTextMenuBottom] =
        std::make_unique<std::string>("Enter open, Del keep N, F5 purge, type to filter");
}

Host::Impl *Host::Impl::Active() {
    return activeHost != nullptr ? activeHost->impl_.get() : nullptr;
}

const char *Host::Impl::EditorFileName() {
    const std::string *name = nullptr;
    if (editorNameSet)
        name = editorName ? &*editorName : nullptr;
    else if (ValidWindow(current) && windows[current].type == host::kEditorWindow)
        name = &windows[current].name;
    if (name == nullptr) return nullptr;
    editorNameShown = *name;
    return editorNameShown.c_str();
}

const char *Host::Impl::PluginText(int number) const {
    if (number < 0 || number >= static_cast<int>(texts.size())) return "";
    return texts[number]->c_str();
}

void CopyName(char *field, std::size_t size, const std::string &name) {
    if (name.size() < size)
        std::memcpy(field, name.c_str(), name.size() + 1);
    else
        std::memcpy(field, name.data(), size);
}

Host::Host(Frontend &frontend) : impl_(std::make_unique<Impl>(frontend)) {}

Host::~Host() { UnloadPlugin(); }

bool Host::LoadPlugin(const std::string &path, std::string *error) {
    std::string reason;
    if (PluginLoaded())
        reason = "a plug-in is already loaded: " + PluginPath();
    else if (impl_->library.Open(path, reason)) {
        PluginExports &exports = impl_->exports;
        exports.setStartupInfo = Export<SetStartupInfoFn>(impl_->library, "SetStartupInfo");
        exports.getPluginInfo = Export<GetPluginInfoFn>(impl_->library, "GetPluginInfo");
        exports.openPlugin = Export<OpenPluginFn>(impl_->library, "OpenPlugin");
        exports.processEditorEvent =
            Export<ProcessEditorEventFn>(impl_->library, "ProcessEditorEvent");
        if (!exports.setStartupInfo || !exports.getPluginInfo || !exports.openPlugin ||
            !exports.processEditorEvent) {
            reason = "the library lacks one of the four exports: " + path;
            UnloadPlugin();
        }
    }
    if (!PluginLoaded()) {
        if (error != nullptr) *error = reason;
        return false;
    }

    const Serving serving(this);
    // On the heap and freed at once: a plug-in that keeps the pointer
    // instead of a copy reads freed memory, which the sanitizers report.
    auto record = std::make_unique<StartupRecord>(MakeStartupRecord());
    CopyName(record->ModulePath, sizeof record->ModulePath,
             impl_->modulePathOverride.value_or(PluginPath()));
    record->PluginId = kPluginId;
    impl_->exports.setStartupInfo(record.get());
    return true;
}

void Host::UnloadPlugin() {
    impl_->library.Close();
    impl_->exports = {};
}

bool Host::PluginLoaded() const { return impl_->library.IsOpen() && impl_->exports.openPlugin; }

void *Host::PluginSymbol(const char *name) const {
    return PluginLoaded() ? impl_->library.Symbol(name) : nullptr;
}

const std::string &Host::PluginPath() const { return impl_->library.FullPath(); }

void Host::OverrideModulePath(Text path) { impl_->modulePathOverride = std::move(path); }

PluginInfo Host::GetPluginInfo(const PluginInfoRecord &prefill) {
    PluginInfo info;
    if (!PluginLoaded()) return info;
    PluginInfoRecord record = prefill;
    {
        const Serving serving(this);
        impl_->exports.getPluginInfo(&record);
    }

    info.structSize = record.StructSize;
    info.flags = record.Flags;
    info.menuStringsAddress = record.MenuStrings;
    if (record.MenuStrings != nullptr)
        for (int i = 0; i < record.MenuStringsNumber; ++i)
            info.menuStrings.emplace_back(record.MenuStrings[i] ? record.MenuStrings[i] : "");
    // Word by word, so that 64-bit builds (whose pointer slots are wider)
    // report the same eleven words; a pointer shows as its low 32 bits.
    const auto low = [](const void *p) {
        return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(p));
    };
    const std::int32_t words[host::kPluginInfoWords] = {record.StructSize,
                                                        record.Flags,
                                                        record.Word8,
                                                        record.Word12,
                                                        record.Word16,
                                                        low(record.MenuStrings),
                                                        record.MenuStringsNumber,
                                                        record.Word28,
                                                        record.Word32,
                                                        low(record.Pointer36),
                                                        record.Word40};
    std::memcpy(info.words, words, sizeof words);
    return info;
}

std::intptr_t Host::OpenPlugin(int openFrom, std::intptr_t item) {
    if (!PluginLoaded()) return 0;
    const Serving serving(this);
    return reinterpret_cast<std::intptr_t>(impl_->exports.openPlugin(openFrom, item));
}

int Host::ProcessEditorEvent(int event) {
    if (!PluginLoaded()) return 0;
    const Serving serving(this);
    return impl_->exports.processEditorEvent(event, nullptr);
}

const std::vector<Window> &Host::Windows() const { return impl_->windows; }

int Host::CurrentWindow() const { return impl_->current; }

void Host::SwitchTo(int position) {
    if (!impl_->ValidWindow(position)) return;
    impl_->current = position;
    impl_->TellWindowsChanged();
}

bool Host::OpenEditorWindow(const std::string &fileName) {
    if (!impl_->frontend.EditorMayOpen(fileName)) return false;
    impl_->windows.push_back(Window{host::kEditorWindow, fileName});
    impl_->current = static_cast<int>(impl_->windows.size()) - 1;
    impl_->TellWindowsChanged();
    ProcessEditorEvent(host::kEditorEventOpened);
    return true;
}

void Host::AddWindow(const Window &window) {
    impl_->windows.push_back(window);
    impl_->TellWindowsChanged();
}

void Host::CloseWindow(int position) {
    if (position == 0 || !impl_->ValidWindow(position)) return;
    impl_->windows.erase(impl_->windows.begin() + position);
    if (impl_->current >= position) --impl_->current;
    impl_->TellWindowsChanged();
}

void Host::SetEditorFileName(Text name) {
    impl_->editorNameSet = true;
    impl_->editorName = std::move(name);
}

void Host::ClearEditorFileName() {
    impl_->editorNameSet = false;
    impl_->editorName.reset();
}

void Host::SetPluginText(int number, std::string text) {
    if (number < 0 || number >= static_cast<int>(impl_->texts.size())) return;
    impl_->retiredTexts.push_back(std::move(impl_->texts[number]));
    impl_->texts[number] = std::make_unique<std::string>(std::move(text));
}

std::string Host::PluginText(int number) const { return impl_->PluginText(number); }

void Host::StopRecording() {
    impl_->recording = false;
    impl_->calls.clear();
}

const std::vector<Call> &Host::Calls() const { return impl_->calls; }

void Host::ClearCalls() { impl_->calls.clear(); }

Host *Host::Active() { return activeHost; }

}  // namespace hostsim
