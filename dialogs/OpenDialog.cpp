#include "dialogs/OpenDialog.h"

#include "dialogs/SystemVersion.h"

#include <stdexcept>

namespace sorvak {

std::string FilterList(const std::string& filter, int codePage) {
    if (filter.empty())
        return {};
    std::string list = filter;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == '|' && !codepage::IsTrailByte(filter, i, codePage))
            list[i] = '\0';
    list.push_back('\0');
    list.push_back('\0');
    return list;
}

// The notifications of a running dialog, turned into the component's steps.
class TOpenDialog::Hook : public OpenFileNameHook {
public:
    explicit Hook(TOpenDialog& owner) : owner_(owner) {}

    void Attach(FileDialogWindow& window) override { owner_.window_ = &window; }

    void InitDone() override {
        if (FileDialogWindow* w = owner_.window_) {
            const TPoint at = CentredPosition(w->FrameRect(), w->PrimaryMonitorRect());
            w->MoveFrame(at.X, at.Y);
        }
        owner_.DoShow();
    }

    void SelectionChange() override { owner_.DoSelectionChange(); }
    void FolderChange() override { owner_.DoFolderChange(); }

    bool FileOk(const OpenFileNameRequest& request) override {
        // The names are readable in the can-close step and gone after it.
        struct ClearChosen {
            std::vector<std::string>& files;
            ~ClearChosen() { files.clear(); }
        } clear{owner_.chosenFiles_};
        owner_.ReadFileNames(request);
        bool canClose = true;
        owner_.DoCanClose(canClose);
        return canClose;
    }

    void TypeChange(const OpenFileNameRequest& request) override {
        const int index = static_cast<int>(request.nFilterIndex);
        if (index == owner_.currentFilterIndex_)
            return;
        owner_.currentFilterIndex_ = index;
        owner_.DoTypeChange();
    }

    bool IncludeItem(const std::string& path) override {
        bool include = true;
        owner_.DoIncludeItem(path, include);
        return include;
    }

    void Destroy() override { owner_.DoClose(); }
    void Detach() noexcept override { owner_.window_ = nullptr; }

private:
    TOpenDialog& owner_;
};

TOpenDialog::TOpenDialog(FileDialogService* service)
    : service_(service), hook_(std::make_unique<Hook>(*this)) {}

TOpenDialog::~TOpenDialog() = default;

std::string TOpenDialog::FileName() const {
    if (window_ != nullptr && IsExplorerStyle())
        return window_->CurrentFilePath();
    return fileName_;
}

int TOpenDialog::FilterIndex() const {
    return window_ != nullptr ? currentFilterIndex_ : filterIndex_;
}

FileDialogService* TOpenDialog::Service() const {
    return service_;
}

bool TOpenDialog::IsExplorerStyle() const {
    return HasExplorerDialogs(SystemVersion()) && !Options.Contains(TOpenOption::ofOldStyleDialog);
}

int TOpenDialog::OpenCall(OpenFileNameRequest& request) {
    FileDialogService* service = Service();
    if (service == nullptr)
        throw std::logic_error("no file dialog service");
    return service->GetOpenFileName(request);
}

int TOpenDialog::SaveCall(OpenFileNameRequest& request) {
    FileDialogService* service = Service();
    if (service == nullptr)
        throw std::logic_error("no file dialog service");
    return service->GetSaveFileName(request);
}

bool TOpenDialog::Execute() {
    return RunDialog([this](OpenFileNameRequest& r) { return OpenCall(r); }) != 0;
}

OpenFileNameRequest TOpenDialog::BuildRequest() const {
    const OsVersionInfo version = SystemVersion();
    OpenFileNameRequest r;
    const bool full = HasFullRequest(version);
    r.lStructSize = full ? ofn::FullSize : ofn::ClassicSize;
    r.lpstrFilter = FilterList(Filter, CodePage);
    r.nFilterIndex = static_cast<std::uint32_t>(filterIndex_);

    r.nMaxFile = Options.Contains(TOpenOption::ofAllowMultiSelect) ? ofn::MultiCapacity
                                                                   : ofn::SingleCapacity;
    r.lpstrFile.assign(r.nMaxFile + 2, '\0');
    r.SetFileText(fileName_);

    r.lpstrInitialDir = InitialDir;
    r.lpstrTitle = Title;

    r.Flags = ofn::EnableHook | OpenOptionsFlags(Options);
    if (HasExplorerDialogs(version)) {
        // ofOldStyleDialog shares its bit with the explorer flag.
        r.Flags ^= ofn::Explorer;
        if (full && OptionsEx.Contains(TOpenOptionEx::ofExNoPlacesBar))
            r.FlagsEx = ofn::ExNoPlacesBar;
    } else {
        r.Flags &= ~ofn::Explorer;
    }
    const bool explorer = (r.Flags & ofn::Explorer) != 0;

    r.lpstrDefExt = DefaultExt;
    if (r.lpstrDefExt.empty() && !explorer) {
        // The old-style dialog takes the proposed name's extension.
        const std::size_t slash = fileName_.find_last_of('/');
        const std::size_t dot = fileName_.find_last_of('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
            r.lpstrDefExt = fileName_.substr(dot + 1);
    }

    if (!ChildTemplate.empty()) {
        r.Flags |= ofn::EnableTemplate;
        r.lpTemplateName = ChildTemplate;
    }
    r.lpfnHook = hook_.get();
    return r;
}

void TOpenDialog::ReadFileNames(const OpenFileNameRequest& request) {
    chosenFiles_.clear();
    const std::string first = request.FileText();
    // A multiple selection: the folder, then the names, each NUL-terminated.
    std::vector<std::string> names;
    std::size_t pos = first.size() + 1;
    const std::vector<char>& buffer = request.lpstrFile;
    while (pos < buffer.size() && buffer[pos] != '\0') {
        std::size_t end = pos;
        while (end < buffer.size() && buffer[end] != '\0')
            ++end;
        names.emplace_back(buffer.data() + pos, buffer.data() + end);
        pos = end + 1;
    }
    if (names.empty()) {
        chosenFiles_.push_back(first);
        return;
    }
    const std::string folder = (!first.empty() && first.back() == '/') ? first : first + "/";
    for (const std::string& name : names)
        chosenFiles_.push_back(!name.empty() && name.front() == '/' ? name : folder + name);
}

int TOpenDialog::RunDialog(const DialogCall& call) {
    chosenFiles_.clear();
    OpenFileNameRequest request = BuildRequest();
    currentFilterIndex_ = filterIndex_;
    // No window outlives the call, whatever the call did.
    struct ForgetWindow {
        FileDialogWindow*& window;
        ~ForgetWindow() { window = nullptr; }
    } forget{window_};
    const int result = RunTaskModal(call, request);
    if (result == 0)
        return 0;
    ReadFileNames(request);
    fileName_ = request.FileText();
    Options.Set(TOpenOption::ofExtensionDifferent, (request.Flags & ofn::ExtensionDifferent) != 0);
    Options.Set(TOpenOption::ofReadOnly, (request.Flags & ofn::ReadOnly) != 0);
    filterIndex_ = static_cast<int>(request.nFilterIndex);
    return result;
}

TRect TOpenDialog::StandardArea() const {
    if (window_ == nullptr)
        return {};
    if (Options.Contains(TOpenOption::ofOldStyleDialog))
        return window_->ClientRect();
    return window_->PlaceholderRect();
}

void TOpenDialog::DoCanClose(bool& canClose) {
    if (OnCanClose)
        OnCanClose(*this, canClose);
}

void TOpenDialog::DoSelectionChange() {
    if (OnSelectionChange)
        OnSelectionChange(*this);
}

void TOpenDialog::DoFolderChange() {
    if (OnFolderChange)
        OnFolderChange(*this);
}

void TOpenDialog::DoTypeChange() {
    if (OnTypeChange)
        OnTypeChange(*this);
}

void TOpenDialog::DoIncludeItem(const std::string& path, bool& include) {
    if (OnIncludeItem)
        OnIncludeItem(*this, path, include);
}

} // namespace sorvak
