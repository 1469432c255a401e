#include "AppDriveLink.h"

namespace {

// Until the settings object is part of the program: nothing to set up and no worker to stop.
class CIdleDriveLink : public IAppDriveLink
{
public:
    bool Init() override { return true; }
    void RequestReadWorkerStop() override {}
    bool IsReadWorkerRunning() const override { return false; }
    void ReleaseReadWorker() override {}
};

}

std::unique_ptr<IAppDriveLink> CreateAppDriveLink()
{
    return std::make_unique<CIdleDriveLink>();
}
