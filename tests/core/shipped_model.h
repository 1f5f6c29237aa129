#pragma once
// The context model as the programs ship it, loaded once for all the tests of a binary.
#include <gtest/gtest.h>

#include <string>

#include "polyphone/context_model.h"

inline const qdm::PolyContextModel& ShippedModel() {
    static const qdm::PolyContextModel model = [] {
        qdm::PolyContextModel m;
        std::string error;
        EXPECT_TRUE(m.LoadDefault(error)) << error;
        return m;
    }();
    return model;
}
