// Replaced by the remote-memory parts as they land.
