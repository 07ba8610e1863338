#include "compare/rowWeights.h"

#include <cmath>

#include "platform/portableMath.h"

namespace gridcmp {

double rowWeight(const RowWeights& weights, long long row, long long rows) {
    switch (weights.kind) {
        case RowWeights::Kind::none: return 1.0;
        case RowWeights::Kind::latitudes: {
            double first = weights.firstLatitude;
            double latitude = rows <= 1 ? first
                                        : first + ((weights.lastLatitude - first) * static_cast<double>(row - 1)) /
                                                      static_cast<double>(rows - 1);
            // Both ends lie within [-90, 90]; a row between them can round
            // past one, whose cosine would be nan.
            latitude = latitude > 90.0 ? 90.0 : latitude < -90.0 ? -90.0 : latitude;
            return portableCos(latitude * (3.141592653589793 / 180.0));
        }
        case RowWeights::Kind::perRow:
            return row >= 1 && static_cast<unsigned long long>(row) <= weights.values.size()
                       ? std::ldexp(weights.values[static_cast<std::size_t>(row - 1)], weights.exponent)
                       : std::nan("");
    }
    return 1.0;
}

void scaleRowWeights(RowWeights& weights) {
    double largest = 0.0;
    for (double value : weights.values) largest = value > largest ? value : largest;
    bool far = largest > 0.0 && (largest < 0x1p-64 || largest > 0x1p64);
    weights.exponent = far ? -std::ilogb(largest) : 0;
}

}  // namespace gridcmp
