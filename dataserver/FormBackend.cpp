#include "FormBackend.h"

#include "MariaDb.h"
#include "WorkerPools.h"

bool FormBackend::isMariaDb(const std::string &db)
{
    return db.rfind("mariadb://", 0) == 0;
}

std::unique_ptr<FormBackend> FormBackend::create(const std::string &db, size_t connections)
{
    if (!isMariaDb(db))
        return std::make_unique<QueryConnectionPool>(db, connections);
    MariaDbAddress address;
    std::string error;
    if (!MariaDbAddress::parse(db, address, error))
        return nullptr;
    return std::make_unique<MariaDbBackend>(std::move(address), connections);
}
