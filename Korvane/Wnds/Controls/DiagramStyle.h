#pragma once
// How the control-loop diagrams look where the layouts leave it to the drawing layer: connector
// pen and arrowhead, the default text of plain shapes, the shadow and the stacking of items.
// One place, so that the three diagrams stay alike.
#include <QColor>

namespace diagram_style {

// Connectors: a thin dark line, straight segments through the bends, a filled arrowhead at the
// end point only.
inline const QColor kConnectorColour{0x40, 0x40, 0x40};
constexpr double kConnectorWidth = 1.0;
constexpr double kArrowLength = 9.0;
constexpr double kArrowHalfWidth = 4.0;

// Default text of a shape's text line: the application's font family at this pixel size,
// normal weight, centred both ways.
constexpr int kBlockFontPixelSize = 12;
constexpr int kBlockFontWeight = 400;

// Shadow of every shape, in diagram units before scaling.
constexpr double kShadowDepth = 3.0;
// Corner radius of a kind-0 box, in diagram units before scaling.
constexpr double kBoxCornerRadius = 5.0;
// Outline width of a shape before scaling.
constexpr double kLineThickness = 1.0;

// Stacking: connectors under the shapes, hosted controls above everything.
constexpr double kConnectorZ = 0.0;
constexpr double kShapeZ = 1.0;
constexpr double kControlZ = 2.0;

// The diagram's own background outside the items.
inline const QColor kDiagramBackground{Qt::white};

}
