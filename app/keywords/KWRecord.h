#pragma once

#include <vector>

#include <QString>

// One keyword as the store lists it; -1 stands for an unknown count or a missing relevancy.
struct KWRecord {
    int id = 0;
    QString kw;
    int searches = -1;
    int relevancy = -1;
};

using KWRecords = std::vector<KWRecord>;
