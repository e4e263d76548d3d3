#pragma once

#include "model/VeskBlock.h"

#include <vector>

/** Pattern slots as test tables list them: 0 the temporary pattern, 1-20 user patterns. */
inline VeskBlock slotBlock (int record)
{
    return VeskBlock::fromRecord (record).value();
}

inline std::vector<VeskBlock> slotBlocks (const std::vector<int>& records)
{
    std::vector<VeskBlock> blocks;

    for (const int record : records)
        blocks.push_back (slotBlock (record));

    return blocks;
}
