// Faults the plug-in rides out: a host killed mid-game, a slow riddle site,
// the module's port held by another program.
'use strict'

const assert = require('node:assert/strict')
const { test } = require('node:test')
const { koishi, startKoishi, baseFolder, bundledRiddles, hostPids, zorvaneLog } =
  require('../support/koishi-app')
const { MODULE_SITE, startPackedSite, startDelayingProxy, listenOnModuleSite } =
  require('../support/riddle-sites')

const riddles = bundledRiddles()
const FIRST_PAGE = '/dmmy/19499.html'
const SECOND_PAGE = '/dmmy/19500.html'

async function say(client, text) {
  const replies = await client.receive(text)
  return replies.length ? koishi.h.unescape(replies[0]) : ''
}

test('a host killed mid-game is restarted, the event it held unanswered and logged', async (t) => {
  const proxy = await startDelayingProxy(t, await startPackedSite(t))
  const { app, folder } = await startKoishi(t, baseFolder(t),
    { zorvane: { useRunningSite: true, hosts: 1 } })
  const alice = app.mock.client('alice', 'group-1')
  assert.match(await say(alice, '签到'), /^签到成功/)

  proxy.delays.set(FIRST_PAGE, 5000)
  const fetching = proxy.requested(FIRST_PAGE)
  const lost = say(alice, '开始')
  await fetching
  const [pid] = hostPids(folder)
  process.kill(pid, 'SIGKILL')
  assert.equal(await lost, '')
  assert.equal(zorvaneLog('warn', 'was killed (SIGKILL)', 'unanswered', '"开始"').length, 1)

  proxy.delays.clear()
  assert.equal(await say(alice, '开始'), riddles[0].question, 'the next event is played')
  const [restarted] = hostPids(folder)
  assert.ok(restarted && restarted !== pid)
})

test('a slow riddle site holds only the groups of its host process', async (t) => {
  const proxy = await startDelayingProxy(t, await startPackedSite(t))
  const { app } = await startKoishi(t, baseFolder(t), { zorvane: { useRunningSite: true, hosts: 2 } })
  // Group numbers are handed out in the order groups are first met: the
  // first and the third group share a process, the second has the other.
  const [slow, other, same] = ['slow', 'other', 'same'].map((name) => app.mock.client(name, name))
  for (const member of [slow, other, same]) assert.match(await say(member, '签到'), /^签到成功/)
  assert.equal(await say(slow, '开始'), riddles[0].question)
  assert.match(await say(slow, riddles[0].answer), /^恭喜猜对/)

  // The slow group's page is now held back; the others' is not.
  proxy.delays.set(SECOND_PAGE, 2000)
  const started = Date.now()
  const done = {}
  const timed = (name, reply) => reply.then((text) => {
    done[name] = Date.now() - started
    return text
  })
  const [slowReply, otherReply, sameReply] = await Promise.all([
    timed('slow', say(slow, '开始')),
    timed('other', say(other, '开始')),
    timed('same', say(same, '开始')),
  ])
  assert.equal(slowReply, riddles[1].question)
  assert.equal(otherReply, riddles[0].question)
  assert.equal(sameReply, riddles[0].question)
  assert.ok(done.other < 2000, `the other process's group waited ${done.other} ms`)
  assert.ok(done.slow >= 4000 && done.same >= done.slow, JSON.stringify(done))
})

test('what holds the module\'s port when the plug-in would start its site', async (t) => {
  // What listens there, the log line the plug-in leaves.
  const cases = [
    ['a program that is no riddle site', (request, response) => response.end('hello'),
      ['warn', `${MODULE_SITE.host} is taken by a program that is not a riddle site`]],
    ['a riddle site', 'site', ['info', `a riddle site already serves ${MODULE_SITE.origin}`]],
    ['nothing', null, ['info', `the riddle site serves ${MODULE_SITE.origin}`]],
  ]
  for (const [what, holder, logged] of cases) {
    await t.test(what, async (t) => {
      if (holder === 'site') await startDelayingProxy(t, await startPackedSite(t))
      else if (holder) await listenOnModuleSite(t, holder)
      const before = zorvaneLog('riddle site').length
      const { app } = await startKoishi(t, baseFolder(t))
      const lines = zorvaneLog('riddle site').slice(before)
      assert.equal(lines.length, 1, lines.join('\n'))
      assert.ok(lines[0].startsWith(logged.join(': ')), lines[0])
      // The game itself runs whatever holds the port.
      assert.match(await say(app.mock.client('alice', 'g'), '签到'), /^签到成功/)
      if (!holder) assert.equal(await say(app.mock.client('alice', 'g'), '开始'), riddles[0].question)
    })
  }
})
