// The plug-in's own texts; the game's and the sign-in's replies come from the
// host program.
module.exports = {
  config: {
    commandWordOnly: 'Forward only group messages that start with the command word "Zorva " (taken off). Off: every group text message is forwarded.',
    hosts: 'Host processes. Each group always goes to the same one; a slow riddle site holds only the groups of that process.',
    hostTimeout: 'Seconds a host process may take for one message; after that it is restarted and the message gets no reply.',
    useRunningSite: 'Use a riddle site that already runs instead of starting the bundled one.',
    signinMin: 'Least money a daily sign-in pays. Unset: the default, enough to play after the first sign-in.',
    signinMax: 'Most money a daily sign-in pays. Unset: the default.',
  },
  commands: {
    签到: { description: 'Daily sign-in: collect money to play with' },
    余额: { description: 'Your balance' },
    排行: { description: "The group's ten richest members" },
  },
}
