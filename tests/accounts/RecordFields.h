// Which fields a loaded account or proxy record holds, read back through the library.
#pragma once

#include "library/App.h"

#include <set>

namespace accounts_test {

using Fields = std::set<int>;

inline Fields PresentFields(int item) {
    Fields out;
    for (int field : {1011, 1016, 1301, 1302, 2001, 2002, 2003, 2004}) {
        char buf[260] = {};
        int num = 0;
        if (theApp.m_api.KorvexGetDataValue(theApp.m_hInterface, item, field, buf, sizeof buf) ||
            theApp.m_api.KorvexGetDataNum(theApp.m_hInterface, item, field, &num))
            out.insert(field);
    }
    return out;
}

inline int Number(int item, int field) {
    int v = -1;
    theApp.m_api.KorvexGetDataNum(theApp.m_hInterface, item, field, &v);
    return v;
}

} // namespace accounts_test
