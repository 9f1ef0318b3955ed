// upper layer
