#pragma once

#include "gui/uikit/BasisDC.h"

namespace orlo {

// The surface on which the custom list windows draw their items.
class CListDC : public CBasisDC {};

} // namespace orlo
