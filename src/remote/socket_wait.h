/* The web server's waits on its sockets on Windows: the server library calls
 * socketWait where it would call poll. C, as the library is. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

struct pollfd;

/* As WSAPoll: events POLLIN, POLLOUT (POLLERR asks for errors, which are
 * always reported); the number of sockets with revents, 0 when timeoutMs
 * (negative: no limit) passed, -1 on failure. */
int socketWait(struct pollfd* sockets, unsigned long count, int timeoutMs);

/* For the check program only: from now on calling off a wait's receive
 * fails, as under some layered providers (nonzero), or works again (0). */
void socketWaitFailCancels(int fail);

#ifdef __cplusplus
}
#endif
