#pragma once

#include <plist/plist.h>

#include <cstdlib>
#include <vector>

// The items of a libplist array, walked once. libplist 2.2 keeps no index on
// arrays it parsed, so asking for item n walks n nodes; walking with its
// iterator is the only linear way through.
class PlistArray
{
public:
    static std::vector<plist_t> items(plist_t array)
    {
        std::vector<plist_t> result;
        result.reserve(plist_array_get_size(array));
        plist_array_iter it = nullptr;
        plist_array_new_iter(array, &it);
        for (plist_t item = nullptr;;) {
            item = nullptr;
            plist_array_next_item(array, it, &item);
            if (!item)
                break;
            result.push_back(item);
        }
        free(it);
        return result;
    }
};
