// Placeholder until this command is built; replaced by its owner.
#include "app/MainUnit.h"

void TMainForm::ImportSysInfoButtonClick() { throw ApplicationError("Not built yet."); }
void TMainForm::ViewSysInfoButtonClick() { throw ApplicationError("Not built yet."); }
bool TMainForm::ReadReportFile(std::string&) { throw ApplicationError("Not built yet."); }
