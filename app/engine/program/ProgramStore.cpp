#include "engine/program/ProgramStore.h"

#include "store/DemoStore.h"
#include "store/StoreConnection.h"

#include <QFileInfo>

#include <exception>

namespace importer {

void connectProgramStore(data::Connection& store, const ProgramPlaces& places)
{
    data::connectStore(store, places.dataFolder, data::computerName());
}

void openProgramStore(data::Connection& store, const ProgramPlaces& places,
                      const std::function<void(const QString& storeFile)>& demoStoreComing)
{
    try {
        connectProgramStore(store, places);
    } catch (const std::exception&) {
        const QString storeFile = data::storeFilePath(places.dataFolder);
        if (places.place != ProgramPlaces::DataPlace::UserDataFolder || QFileInfo::exists(storeFile))
            throw;
        demoStoreComing(storeFile);
        data::createDemoStore(storeFile);
        connectProgramStore(store, places);
    }
}

} // namespace importer
