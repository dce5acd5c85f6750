#pragma once
// The one window of the program, built from a window description, with the control-state
// model on its real child windows.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "host/control_state.h"
#include "host/window_description.h"
#include "host/window_geometry.h"

namespace host {

LRESULT CALLBACK WizardWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PaintedControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

class WizardWindow final : public ControlSurface {
public:
    explicit WizardWindow(const WindowDescription& description);
    ~WizardWindow();
    WizardWindow(const WizardWindow&) = delete;
    WizardWindow& operator=(const WizardWindow&) = delete;

    // Creates the window hidden and centred, every control in its parent, stacks them and
    // lets the page control show its current page. Events may be null (nothing bound).
    // With quitOnDestroy the destruction of the window posts the quit message (code 0).
    bool Build(WindowEvents* events, bool quitOnDestroy);
    // Raises the created event; only the first call does.
    void RaiseCreated();
    void Show();

    PropertyValue ReadProperty(ControlRef ref, ControlProperty property) override;
    void WriteProperty(ControlRef ref, ControlProperty property, const PropertyValue& value) override;
    bool IsOpen() const override { return hwnd_ != nullptr; }

    HWND Handle() const { return hwnd_; }
    HWND ControlHandle(std::uint32_t controlId) const;
    const WindowDescription& Description() const { return description_; }

    // The control that Tab moves the focus to from `focused` (Shift+Tab: backwards), or null
    // when there is no candidate.
    HWND NextTabStop(HWND focused, bool backwards) const;

    // The message-loop pre-translation: Tab moves the focus in the window's own order.
    bool PreTranslate(MSG& msg);

private:
    struct Resources;
    friend LRESULT CALLBACK WizardWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK PaintedControlProc(HWND, UINT, WPARAM, LPARAM);

    ControlState* Find(ControlRef ref);
    ControlState* FindByHandle(HWND hwnd);
    HWND ParentHandle(const ControlState& state) const;
    bool CreateControl(std::size_t index);
    void Stack();
    void ShowPage(ControlState& pageControl, int page);
    // Gives the edit boxes the texts they were described with.
    void FillEditBoxes();
    bool IsPageMemberOnOtherPage(const ControlState& state) const;
    LRESULT OnWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlMessage(ControlState& state, UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnCommonMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnButtonClicked(HWND child);
    HBRUSH BackgroundBrush(std::uint32_t colour);
    void Paint(ControlState& state, HDC dc);

    const WindowDescription& description_;
    WindowEvents* events_ = nullptr;
    bool quitOnDestroy_ = false;
    bool createdRaised_ = false;
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    DpiScale scale_;
    ControlState window_;
    std::vector<ControlState> controls_;  // description order; never resized after Build
    std::unique_ptr<Resources> resources_;
};

}  // namespace host
