// placeholder until this subsystem is written
