// Placeholder until this command is built; replaced by its owner.
#include "app/MainUnit.h"

void TMainForm::OpenFileMenuClick() { throw ApplicationError("Not built yet."); }
void TMainForm::LoadProblem(const DBFrameWork::StringList&) { throw ApplicationError("Not built yet."); }
void TMainForm::LoadCustomer(const DBFrameWork::StringList&) { throw ApplicationError("Not built yet."); }
void TMainForm::LoadSystemInfo(const DBFrameWork::StringList&) { throw ApplicationError("Not built yet."); }
