// replaced by the window layer
