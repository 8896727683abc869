#include "common/product_data_folder.h"

DataFolderWalk EnterProductDataFolders(HeldFolders* held, const char* appData,
                                       FolderMaking makeFolder, char* failed) {
  if (!EnterFolder(held, appData)) return kDataFolderNotEntered;
  const char* const folders[] = {kMakerFolder, kProductFolder};
  for (const char* below : folders) {
    if (makeFolder != nullptr && !makeFolder(appData, below, failed)) return kDataFolderNotMade;
    if (!EnterFolder(held, appData, below)) return kDataFolderNotEntered;
  }
  return kDataFoldersEntered;
}
