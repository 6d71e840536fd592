// Scenarios that drive the setup wizard like a user.
#pragma once

#include "scenarios.h"

namespace velkor::e2e {

void welcomePage(Driver& d, const Options& o);
void welcomeEscape(Driver& d, const Options& o);
void refusalPage(Driver& d, const Options& o);
void licenceBack(Driver& d, const Options& o);
void licenceCancel(Driver& d, const Options& o);
void fullInstallation(Driver& d, const Options& o);
void enterInstallation(Driver& d, const Options& o);
void finishByEscape(Driver& d, const Options& o);
void finishByCloseBox(Driver& d, const Options& o);
void reinstallation(Driver& d, const Options& o);
void refusalEnter(Driver& d, const Options& o);
void backThenInstall(Driver& d, const Options& o);
void earlierGenerations(Driver& d, const Options& o);

}  // namespace velkor::e2e
