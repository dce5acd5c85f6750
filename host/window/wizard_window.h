#pragma once
// The one window of the program, built from a window description, with the control-state
// model on its real child windows.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/window/control_state.h"
#include "host/window/window_description.h"
#include "host/window/window_geometry.h"

struct IAccessible;

namespace host {

LRESULT CALLBACK WizardWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PaintedControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK NamedControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Whether a high-contrast theme is on: the window asks when it is built and whenever the
// system's colours or settings change. Null gives the system's answer; a test may answer as
// Windows does where the system under test cannot.
using HighContrastQuery = bool (*)();
void SetHighContrastQuery(HighContrastQuery query);

class WizardWindow final : public ControlSurface {
public:
    explicit WizardWindow(const WindowDescription& description);
    ~WizardWindow();
    WizardWindow(const WizardWindow&) = delete;
    WizardWindow& operator=(const WizardWindow&) = delete;

    // Creates the window hidden and centred, with the state of every control. The controls'
    // own windows come later: those seen on the first screen when the window is shown, the
    // others in portions between the messages of its loop, so that the window answers while
    // they are made; all at once as soon as anything asks for one after it is shown. Events
    // may be null (nothing bound). With quitOnDestroy the destruction of the window posts the
    // quit message (code 0).
    bool Build(WindowEvents* events, bool quitOnDestroy);
    // Raises the created event; only the first call does.
    void RaiseCreated();
    // Makes the first screen's controls, shows the window, and asks for the first portion of
    // the rest; the first portions paint the window before more is made. When the common
    // controls are not in the process yet, it shows the window first and loads them on the
    // thread aside (aside.h): the window answers meanwhile, the first screen's controls that it
    // draws itself are made and painted meanwhile, the rest of the first screen is made as soon
    // as they are in, and the window is activated once all of it is painted.
    void Show();

    // A portion paints the window or at most this many of its controls, or makes at most this
    // many controls' windows, or hands a long text to its box one piece of at most kTextPiece
    // characters (UTF-16 units).
    static constexpr std::size_t kControlsPerPortion = 3;
    static constexpr std::size_t kTextPiece = 512;

    PropertyValue ReadProperty(ControlRef ref, ControlProperty property) override;
    void WriteProperty(ControlRef ref, ControlProperty property, const PropertyValue& value) override;
    bool IsOpen() const override { return hwnd_ != nullptr; }

    HWND Handle() const { return hwnd_; }
    // The window of a control; asking for one makes every control's window that is not made yet.
    HWND ControlHandle(std::uint32_t controlId);
    const WindowDescription& Description() const { return description_; }

    // The control that Tab moves the focus to from `focused` (Shift+Tab: backwards), or null
    // when there is no candidate.
    HWND NextTabStop(HWND focused, bool backwards) const;

    // The message-loop pre-translation: Tab moves the focus in the window's own order, the
    // arrow keys among the radio buttons of a group.
    bool PreTranslate(MSG& msg);
    // While the window is active and none of its controls has the focus (as when the focused
    // one was just hidden or disabled), gives it to the description's first-focus control if
    // that can take it, else to the first candidate in tab order.
    void EnsureFocus();
    // Follows the system's colours and its high-contrast theme: the surfaces and the standard
    // controls are repainted when the theme turned on or off, or when `coloursChanged`.
    void FollowSystemColours(bool coloursChanged);

private:
    struct Resources;
    friend LRESULT CALLBACK WizardWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK PaintedControlProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK NamedControlProc(HWND, UINT, WPARAM, LPARAM);
    // What assistive technology is told (accessible_objects.cpp).
    class AccessibleObject;
    // Answers WM_GETOBJECT for the window or one of its controls: 0 leaves the system's own.
    LRESULT OnGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam);
    // A new reference to the object that tells `hwnd`, or null.
    IAccessible* ObjectFor(HWND hwnd);
    // The controls told as the children of the window or of a container: its shown child
    // windows, in reading order. False when there was no memory for them.
    bool ToldChildren(HWND parent, std::vector<HWND>& order);
    // The label that introduces a box or a bar: the topmost above it on its page, or null.
    HWND IntroducingLabel(HWND box);
    // Names the boxes and the bar by their labels through the system's annotation, once; false
    // when the system cannot (our own objects then name them).
    bool AnnotateNames();
    // A label's new caption: the names of the boxes follow.
    void LabelCaptionChanged();

    ControlState* Find(ControlRef ref);
    ControlState* FindByHandle(HWND hwnd);
    HWND ParentHandle(const ControlState& state) const;
    // Which of the controls' windows not made yet a call makes: those seen on the first
    // screen, or only those of them the window draws itself; the next portion; or all, with
    // every text whole.
    enum class Making { FirstScreen, OwnFirstScreen, Portion, All };
    bool CreateControl(std::size_t index);
    // False when a control could not be made; a later call tries again.
    bool CreateControls(Making making);
    void CompleteControls() { CreateControls(Making::All); }
    // What the system is told is seen: a control's window is shown exactly while a person can
    // see it, so that Tab, the mouse and assistive technology all agree with the screen. The
    // control model keeps the control's own wish (IsWished) apart from that.
    bool IsWished(const ControlState& s) const;
    // Its rectangle on the screen's scale, relative to its parent's client area.
    RECT ScreenRect(const ControlState& s) const;
    // Wholly outside its containers, or wholly under a wished sibling above it or above one of
    // its containers (a page behind the panel, a line behind a longer text).
    bool IsCovered(const ControlState& s) const;
    // Seen: wished, not covered, and its containers too. Otherwise the Visible property:
    // wished, and its containers too, in a shown window; covering plays no part.
    bool IsShown(const ControlState& s, bool seen) const;
    // Shows and hides the made controls' windows as IsShown(seen) says.
    void ShowWhatIsSeen();
    // Hands the next piece of a long text to its box, or shows a box that has it all; false
    // when no text is on its way.
    bool GiveTextPiece();
    // One portion: painting where it waits, or the next few controls made; then asks for the
    // next, behind the user's input.
    void CreateNextPortion();
    // Paints the window if it waits for it, or else up to kControlsPerPortion of its shown
    // controls that do (until the first screen is whole: the window too, and all controls made
    // since the last such pass); false when nothing was painted.
    bool PaintWaiting();
    // Draws into a DC of the window those shown members of the control at `parent` (-1: the
    // window) that were made since they were last drawn so, all of them when `all`, each over
    // those below it and under its own members, and marks them painted; how many.
    std::size_t DrawInStackingOrder(HDC dc, int parent, bool all);
    void AskForNextPortion();
    // The common controls loaded aside: the first screen made, then the portions.
    void CommonControlsIn();
    void ShowPage(ControlState& pageControl, int page);
    // Tells the bar's window its position now (it draws itself there and then).
    void TellPosition(ControlState& bar);
    bool IsPageMemberOnOtherPage(const ControlState& state) const;
    // Tab stops that can take the focus now, in tab order.
    std::vector<const ControlState*> FocusCandidates() const;
    // Of the candidates, the control a step gives the focus to first: its first focus if a
    // person can reach it, else the first in tab order; null when there are none.
    HWND FirstFocusTarget(const std::vector<const ControlState*>& candidates) const;
    void FocusControl(HWND control);
    // Back to the control that had the focus when the window was left, or the first candidate.
    void RestoreFocus();
    bool MoveAmongRadioButtons(HWND focused, bool backwards);
    LRESULT OnWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlMessage(ControlState& state, UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnCommonMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnButtonClicked(HWND child);
    HBRUSH BackgroundBrush(std::uint32_t colour);
    COLORREF BackgroundColour(std::uint32_t colour) const;
    COLORREF TextColour(std::uint32_t background) const;
    void Paint(ControlState& state, HDC dc);

    const WindowDescription& description_;
    WindowEvents* events_ = nullptr;
    bool quitOnDestroy_ = false;
    bool createdRaised_ = false;
    bool shown_ = false;
    bool firstScreenDue_ = false;
    bool complete_ = false;  // every control has its window and its whole text
    bool highContrast_ = false;
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool namesTried_ = false;
    bool named_ = false;  // the boxes' and the bar's names annotated
    DpiScale scale_;
    ControlState window_;
    std::vector<ControlState> controls_;  // description order; never resized after Build
    // A long text on its way into its box, which is shown once the last piece is in: a box
    // lays out a text while hidden for a fraction of what it costs on the screen, and pieces
    // let the portions take it in turns with the window's messages.
    struct TextInPieces {
        std::size_t index;  // the control
        std::wstring text;
        std::size_t given = 0;  // characters in the box so far
    };
    std::vector<TextInPieces> textsInPieces_;
    std::unique_ptr<Resources> resources_;
};

}  // namespace host
