#pragma once
// The wizard's handlers and the routines they share. A handler is named after its source and
// event and is bound in bindings.cpp; every one reads the step it is on back from the controls.
#include <cstdint>
#include <string_view>

#include "wizard/context.h"

namespace wizard {

// welcome.cpp: the window's created event.
void OnWizardCreated(WizardContext& context);
// The id of the first listed process whose file name is exactly `exeName`, or 0.
std::uint32_t FindProcessByName(host::HostServices& host, std::string_view exeName);

// destination.cpp: the destination page.
void ProposeDestination(WizardContext& context);
void BrowseDestination(WizardContext& context);
void EstimateSpace(WizardContext& context);
// The figure of the space line for a total of `bytes`: mebibytes cut to four bytes of text.
host::Text SpaceFigure(std::int64_t bytes);

// navigation.cpp: moving between the steps, and leaving.
enum class WizardStep { Finish, Welcome, Licence, Destination, Ready, Installing };
// The caption of Next on the finish step, by which that step is told from the others.
inline constexpr char kFinishCaption[] = "完成(I)";
WizardStep CurrentStep(Controls& controls);
void OnNextClicked(WizardContext& context);
void OnBackClicked(WizardContext& context);
void OnAcceptClicked(WizardContext& context);
void OnDeclineClicked(WizardContext& context);
void OnCancelClicked(WizardContext& context);
bool OnCloseQuery(WizardContext& context);
// While files are being written, the reason to hold up a log-off or shut-down; else empty.
host::Text OnSessionEndQuery(WizardContext& context);
// Asks whether to leave the setup; true on Yes.
bool ConfirmQuit(WizardContext& context);
host::Text BuildSummary(WizardContext& context);

// install.cpp: the ready step's Next, the install and the finish page it leads to.
void StartInstall(WizardContext& context);
void RunInstall(WizardContext& context);
// Advances the progress bar by `count` single steps, waiting before each. False when the
// window was closed during a wait: nothing may be touched after that.
bool StepProgress(WizardContext& context, std::uint32_t barId, int count);

// finish.cpp: what the finish page's ticked boxes ask for, in their order.
void RunFinishActions(WizardContext& context);

}  // namespace wizard
