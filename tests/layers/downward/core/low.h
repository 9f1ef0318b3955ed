// lower layer
