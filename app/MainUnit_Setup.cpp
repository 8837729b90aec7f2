// Placeholder until this command is built; replaced by its owner.
#include "app/MainUnit.h"

void TMainForm::ExitFileMenuClick() { throw ApplicationError("Not built yet."); }
void TMainForm::GeneralSetupMenuClick() { throw ApplicationError("Not built yet."); }
void TMainForm::TechniciansSetupMenuClick() { throw ApplicationError("Not built yet."); }
void TMainForm::OperatingSystemsSetupMenuClick() { throw ApplicationError("Not built yet."); }
void TMainForm::AboutHelpMenuClick() { throw ApplicationError("Not built yet."); }
