// Owns one curve context for the length of a command.
#pragma once

#include "tool_error.h"
#include "vessa.h"

namespace vessa_tool {

class CurveHandle {
public:
    CurveHandle() : curve_(ecc_new()) {
        if (curve_ == nullptr) {
            throw ToolError("out of memory: cannot create the curve context");
        }
    }
    ~CurveHandle() { ecc_destroy(curve_); }
    CurveHandle(const CurveHandle &) = delete;
    CurveHandle &operator=(const CurveHandle &) = delete;

    const EccCurve *get() const noexcept { return curve_; }

private:
    EccCurve *curve_;
};

}  // namespace vessa_tool
