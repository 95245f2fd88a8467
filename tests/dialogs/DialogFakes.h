#pragma once
// Doubles of the system dialog for the dialog logic's tests.
#include "dialogs/FileDialogService.h"

#include <functional>
#include <string>
#include <vector>

namespace sorvak {

// A dialog call that records what it was given and plays a script against it.
class FakeService : public FileDialogService {
public:
    std::function<int(OpenFileNameRequest&)> Script = [](OpenFileNameRequest&) { return 0; };
    std::vector<OpenFileNameRequest> Seen;
    std::vector<std::string> Calls;

    int GetOpenFileName(OpenFileNameRequest& r) override { return Run("open", r); }
    int GetSaveFileName(OpenFileNameRequest& r) override { return Run("save", r); }

private:
    int Run(const char* kind, OpenFileNameRequest& r) {
        Calls.push_back(kind);
        Seen.push_back(r);
        return Script(r);
    }
};

class FakeWindow : public FileDialogWindow {
public:
    TRect Client{0, 0, 600, 500};
    TRect Placeholder{0, 0, 600, 380};
    TRect Frame{10, 20, 410, 320};
    TRect Monitor{0, 0, 1024, 768};
    std::string Path = "/home/u/now.txt";
    std::string NameText;
    std::vector<TPoint> Moves;
    DialogPanes* PaneMaker = nullptr;

    TRect ClientRect() const override { return Client; }
    TRect PlaceholderRect() const override { return Placeholder; }
    TRect FrameRect() const override { return Frame; }
    TRect PrimaryMonitorRect() const override { return Monitor; }
    void MoveFrame(int left, int top) override { Moves.push_back({left, top}); }
    std::string CurrentFilePath() const override { return Path; }
    std::string FileNameText() const override { return NameText; }
    void SetFileNameText(std::string_view text) override { NameText = text; }
    DialogPanes* Panes() override { return PaneMaker; }
};

} // namespace sorvak
