// Find Solutions of the File menu: the index of the data file and the dialog
// over it; the chosen ticket opens as File > Open opens one.
#include <QDir>

#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FileSystem.h"
#include "dbframework/DBFrameWork_FindIndex.h"
#include "dialogs/FindSolutionsDialogUnit.h"
#include "dialogs/Interaction.h"
#include "settings/Quenbrook_Configuration.h"

DBFrameWork::FindIndex* TMainForm::GetFindIndex()
{
    if (!Finder && Connection && Connection->Connected) {
        const std::string folder = DBFrameWork::FindIndex::FolderFor(Connection->GetPath(),
                                                                     Paths.IndexCacheFolder.toStdString());
        DBFrameWork::MakePrivateFolders(QString::fromStdString(folder).section('/', 0, -2).toStdString());
        Finder = std::make_unique<DBFrameWork::FindIndex>(*Connection, folder, Config->GetSearchLanguage());
        Finder->Open();
    }
    return Finder.get();
}

void TMainForm::CloseFindIndex()
{
    Finder.reset();
}

void TMainForm::FindSolutionsFileMenuClick()
{
    DBFrameWork::FindIndex* index = GetFindIndex();
    if (!index)
        throw ApplicationError("The data file is not open.");
    TFindSolutionsDialog dialog(this, index);
    if (!dialog.Execute() || dialog.GetSelectedProblemID() == 0)
        return;
    if (!OpenStoredProblem(dialog.GetSelectedProblemID()))
        Interaction::ShowMessage("The ticket could not be opened; it may have been deleted.");
}
