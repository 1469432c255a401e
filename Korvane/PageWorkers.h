#pragma once
// Pages that run worker threads of their own. Shutdown calls StopWorkers on every such page,
// which stops its threads and returns only when they have ended. It may be called again later
// and must then do nothing.

class IPageWorkers
{
public:
    virtual ~IPageWorkers() = default;
    virtual void StopWorkers() = 0;
};
