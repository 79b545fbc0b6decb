// Replaced by the control set.
