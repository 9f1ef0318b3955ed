# SPDX-License-Identifier: MIT
set(QV_LAYERS core upper)
set(QV_LAYER_BELOW_core core)
set(QV_LAYER_BELOW_upper upper core)
