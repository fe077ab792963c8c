// Comparing matrices in the tests: every element, bit for bit as == sees it.
#pragma once

#include <gtest/gtest.h>

#include "engine/math3d.h"

// Success when every element of got equals (==) the same element of want;
// the failure names each element that differs.
inline ::testing::AssertionResult same_matrix(const Matrix4& got, const Matrix4& want)
{
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    bool same = true;
    for (int i = 0; i < 16; ++i) {
        if (!(got.m[i] == want.m[i])) {
            if (same) result = ::testing::AssertionFailure() << "elements differ:";
            same = false;
            result << " [" << i << "] " << ::testing::PrintToString(got.m[i]) << " instead of "
                   << ::testing::PrintToString(want.m[i]) << ";";
        }
    }
    return result;
}
