/* The state of the example device that its app functions change. One
 * DeviceState is the engine's application context for a whole run. */
#ifndef DEVICE_STATE_H
#define DEVICE_STATE_H

typedef struct DeviceState {
  double level;   /* brightness, 0 to DEVICE_MAX_LEVEL */
  int levelCalls; /* how often a script set it */
} DeviceState;

/* Must agree with MAX_LEVEL in device.kivs. */
#define DEVICE_MAX_LEVEL 100.0

#endif
