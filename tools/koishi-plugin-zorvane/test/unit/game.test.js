// What a chat session asks of the host pool, and what comes back to it.
'use strict'

const assert = require('node:assert/strict')
const fs = require('node:fs')
const os = require('node:os')
const path = require('node:path')
const { test } = require('node:test')
const { Game } = require('../../lib/game')
const { IdMap } = require('../../lib/id-map')
const { recordingLogger } = require('../support/recording-logger')

// A pool that records each request and answers with the next answer given.
function fakePool(answers) {
  const requests = []
  return { requests, request: async (body) => (requests.push(body), answers.shift()) }
}

function session(userId, guildId, name) {
  return { platform: 'onebot', userId, guildId, event: { user: { id: userId, name } } }
}

function gameWith(t, answers) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zorvane-game-'))
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }))
  const pool = fakePool(answers)
  const logger = recordingLogger()
  return { game: new Game({ pool, ids: new IdMap(path.join(dir, 'ids.json')), logger }), pool, logger }
}

test('a session becomes the numbers and texts of a host request', async (t) => {
  const { game, pool } = gameWith(t, [
    { ok: true, reply: '不好意思答错了~！再接再厉。。~！\r\n本次扣除：5元' },
    { ok: true, reply: 'signed' }, { ok: true, reply: 'top' },
  ])
  assert.equal(await game.play(session('u1', 'g1', 'Alice'), '花生'),
    '不好意思答错了~！再接再厉。。~！\n本次扣除：5元')
  await game.signIn(session('u2', 'g1', 'Bob'))
  // A member new to the group who asks is among the names at once.
  await game.top(session('u3', 'g1', 'Carol'))
  assert.deepEqual(pool.requests, [
    { op: 'event', message: '花生', type: '2', extra: '', group: '10001', member: '10002' },
    { op: 'signin', group: '10001', member: '10003' },
    { op: 'top', names: { 10002: 'Alice', 10003: 'Bob', 10004: 'Carol' }, group: '10001',
      member: '10004' },
  ])
})

test('a request the host did not answer, or refused, gives no reply', async (t) => {
  const { game, logger } = gameWith(t, [null, { ok: false, error: 'member is missing' }])
  assert.equal(await game.play(session('u1', 'g1'), 'x'), '')
  assert.equal(await game.balance(session('u1', 'g1')), '')
  assert.deepEqual(logger.lines, ['warn: zorvane-host refused balance: member is missing'])
})
