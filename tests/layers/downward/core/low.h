// SPDX-License-Identifier: MIT
// lower layer
